#pragma once

#include "capture/TranscriptFormatter.h"

namespace velmora {

// A Markdown transcript: a header block, then one "**[time] speaker:**" heading per speaker
// turn with each entry as a paragraph under it.
class MarkdownFormatter final : public TranscriptFormatter {
public:
    QString fileExtension() const override { return QStringLiteral("md"); }
    QString formatHeader(const QDateTime& date, const QDateTime& startTime) const override;
    QString formatEntry(const CaptionEntry& entry, bool isNewSpeaker) const override;
    QString formatFinalization(const QString& content, const QDateTime& endTime,
                               double duration) const override;
};

} // namespace velmora
