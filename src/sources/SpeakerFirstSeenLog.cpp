#include "sources/SpeakerFirstSeenLog.h"

#include "capture/Graphemes.h"

namespace velmora {

void SpeakerFirstSeenLog::note(const CaptionSnapshot& entries) {
    for (const CaptionEntry& entry : entries) {
        if (loggedSpeakers_.contains(entry.speaker))
            continue;
        qCInfo(log_, "\"%s\": \"%s\"", qUtf8Printable(entry.speaker),
               qUtf8Printable(preview(entry.text)));
        loggedSpeakers_.insert(entry.speaker);
    }
}

QString SpeakerFirstSeenLog::preview(const QString& text) {
    if (text.size() <= previewLength)
        return text;
    // Characters as the reader sees them: an emoji or an accented letter is never split.
    const std::vector<qint32> starts = Graphemes::segment(text);
    if (qsizetype(starts.size()) - 1 <= previewLength)
        return text;
    return text.left(starts[previewLength]) + QStringLiteral("...");
}

} // namespace velmora
