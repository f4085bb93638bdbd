#pragma once

#include "capture/FileError.h"
#include "capture/SerialExecutor.h"
#include "capture/TranscriptWriting.h"

namespace velmora {

// Records what a coordinator hands over; can refuse the next appends like a full disk.
class RecordingTranscriptWriter final : public TranscriptWriting {
public:
    QCoro::Task<> setStartTimeIfNeeded(QDateTime date) override {
        if (startTimeQueue) {
            // Suspends until the test runs the queue, as the real writer's queue would.
            auto job = startTimeQueue->run([] {});
            co_await job;
        }
        if (startTimeError)
            throw *startTimeError;
        if (!startTime)
            startTime = date;
    }
    QCoro::Task<> createMissingFiles() override { co_return; }
    QCoro::Task<> append(QList<CaptionEntry> entries) override {
        ++appendCalls;
        if (failNextAppends > 0) {
            --failNextAppends;
            throw FileError(QStringLiteral("No space left on device"));
        }
        batches.append(entries);
        co_return;
    }
    QCoro::Task<> finalize() override {
        ++finalizeCalls;
        co_return;
    }
    QCoro::Task<std::optional<QString>> expectedFilename() override { co_return std::nullopt; }
    QCoro::Task<std::optional<QString>> transcriptPath() override { co_return std::nullopt; }

    // Every accepted entry, in order.
    QList<CaptionEntry> written() const {
        QList<CaptionEntry> all;
        for (const auto& batch : batches)
            all += batch;
        return all;
    }

    std::optional<QDateTime> startTime;
    QList<QList<CaptionEntry>> batches;
    int appendCalls = 0;
    int failNextAppends = 0;
    std::optional<FileError> startTimeError;
    SerialExecutor* startTimeQueue = nullptr;
    int finalizeCalls = 0;
};

} // namespace velmora
