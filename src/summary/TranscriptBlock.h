#pragma once

#include <QString>
#include <QStringList>

namespace velmora {

// One speaker turn of a Markdown transcript: its bold header line and the lines under it.
struct TranscriptBlock {
    QString heading; // verbatim
    QString speaker;
    QStringList textLines; // as they stand, empty lines included

    // The form two turns are compared in: trimmed, lower-case, letters, numbers, marks and
    // whitespace only.
    QString normalized() const;
    // The text lines joined and trimmed.
    QString trimmedText() const { return textLines.join(u'\n').trimmed(); }
};

} // namespace velmora
