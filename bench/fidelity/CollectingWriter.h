#pragma once

#include "capture/TranscriptWriting.h"
#include "fidelity/SyntheticMeeting.h"

namespace velmora::fidelity {

// Keeps the entries a coordinator hands over, in order.
class CollectingWriter final : public TranscriptWriting {
public:
    QCoro::Task<> setStartTimeIfNeeded(QDateTime) override { co_return; }
    QCoro::Task<> createMissingFiles() override { co_return; }
    QCoro::Task<> append(QList<CaptionEntry> batch) override {
        entries += batch;
        co_return;
    }
    QCoro::Task<> finalize() override { co_return; }
    QCoro::Task<std::optional<QString>> expectedFilename() override { co_return std::nullopt; }
    QCoro::Task<std::optional<QString>> transcriptPath() override { co_return std::nullopt; }

    QList<CaptionEntry> entries;
};

} // namespace velmora::fidelity
