#pragma once

#include "capture/TranscriptFormatter.h"

namespace velmora {

// A plain-text transcript: a one-line header, then one "[time] speaker: text" line per entry
// with a blank line before each speaker turn.
class PlainTextFormatter final : public TranscriptFormatter {
public:
    QString fileExtension() const override { return QStringLiteral("txt"); }
    QString formatHeader(const QDateTime& date, const QDateTime& startTime) const override;
    QString formatEntry(const CaptionEntry& entry, bool isNewSpeaker) const override;
    QString formatFinalization(const QString& content, const QDateTime& endTime,
                               double duration) const override;
};

} // namespace velmora
