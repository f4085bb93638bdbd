#pragma once

#include "capture/CaptionEntry.h"

#include <QLoggingCategory>
#include <QSet>
#include <QString>

namespace velmora {

// Logs each speaker once per capture, with a short preview of what they said first, so a log
// shows who was heard without filling up with caption text.
class SpeakerFirstSeenLog {
public:
    static constexpr qsizetype previewLength = 50;

    explicit SpeakerFirstSeenLog(const QLoggingCategory& log) : log_(log) {}

    void note(const CaptionSnapshot& entries);
    void clear() { loggedSpeakers_.clear(); }

    // The text itself up to 50 characters, else its first 50 followed by "..."; a character is
    // what the reader sees as one (an emoji with its modifiers, a letter with its accents).
    static QString preview(const QString& text);

private:
    const QLoggingCategory& log_;
    QSet<QString> loggedSpeakers_;
};

} // namespace velmora
