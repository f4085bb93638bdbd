#include "sources/SpeakerFirstSeenLog.h"

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
    return text.left(previewLength) + QStringLiteral("...");
}

} // namespace velmora
