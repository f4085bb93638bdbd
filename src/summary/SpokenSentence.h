#pragma once

#include <QList>
#include <QString>

namespace velmora {

// One sentence of a transcript with who said it; `turn` counts speaker turns from 0.
struct SpokenSentence {
    QString speaker; // empty when the transcript names nobody
    QString text;
    int turn = 0;

    // The sentences of a cleaned transcript: Markdown speaker blocks, plain-text
    // "[hh:mm:ss] Name: text" lines, or, for any other text, its lines without a speaker.
    static QList<SpokenSentence> fromTranscript(const QString& text);
};

} // namespace velmora
