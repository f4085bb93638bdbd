#pragma once

#include "capture/CaptionEntry.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace velmora {

// One speaker block of a transcript as the window shows it. `id` is the block's position in
// the list it was built for; `==` compares every field.
struct DisplayEntry {
    qint64 id = 0;
    QString speaker;
    QString timestamp; // "HH:mm:ss", kept as written
    QString text;
    // How many utterances of the file come before this block (a Markdown paragraph or a
    // plain-text line is one): search results point at utterances, the window shows blocks.
    int firstUtterance = 0;

    bool operator==(const DisplayEntry& other) const = default;

    struct Header {
        QString speaker;
        QString timestamp;
        // What follows the header on its line: a plain-text transcript's entry text.
        QString rest;
        bool operator==(const Header& other) const = default;
    };

    // Transcript file text of either format. Markdown paragraphs under one speaker heading
    // join into one block; each line of a plain-text transcript is a block of its own.
    // Safe on any thread.
    static QList<DisplayEntry> fromMarkdown(QStringView text);
    // The position of the block holding the utterance, or -1 when there are no blocks.
    static qsizetype blockOfUtterance(const QList<DisplayEntry>& blocks, int utterance);
    static QList<DisplayEntry> fromLive(const QList<CaptionEntry>& entries);
    static DisplayEntry fromLive(const CaptionEntry& entry, qint64 id);
    // "**[10:00:01] Alice:**" or "[10:00:01] Alice: …" anywhere in the line.
    static std::optional<Header> parseHeader(QStringView line);
};

} // namespace velmora
