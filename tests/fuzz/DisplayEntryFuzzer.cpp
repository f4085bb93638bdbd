// The window's transcript reader on arbitrary text: blocks are numbered in order, each names a
// speaker and a time as written ("HH:mm:ss") and holds trimmed, non-empty text from the file.
#include "FuzzSupport.h"

#include "library/DisplayEntry.h"

#include <QRegularExpression>

using namespace velmora;
using velmora::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QRegularExpression time(QStringLiteral("^\\d{2}:\\d{2}:\\d{2}$"));
    const QString text = fuzz::utf8(data, size);
    const QList<DisplayEntry> entries = DisplayEntry::fromMarkdown(text);
    qsizetype characters = 0;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const DisplayEntry& entry = entries[i];
        require(entry.id == i, "blocks out of order");
        require(!entry.speaker.isEmpty(), "a block without a speaker",
                entry.speaker);
        require(time.match(entry.timestamp).hasMatch(), "a time not as written", entry.timestamp);
        require(!entry.text.isEmpty() && entry.text == entry.text.trimmed(), "untrimmed or empty text");
        characters += entry.text.size();
    }
    require(characters <= text.size(), "more text than the file holds");
    return 0;
}
