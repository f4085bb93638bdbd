#pragma once

#include "summary/AttendeeNames.h"
#include "summary/SpokenSentence.h"

#include <QList>
#include <QStringList>

namespace velmora {

// The meeting's topics as key phrases in its own words: runs of content words between stop
// words and punctuation, weighted by how often the meeting uses them, how many people use
// them and how long they are. Works on any script that separates words; English small words
// and meeting chatter are never topics.
class KeyPhraseExtractor {
public:
    static constexpr qsizetype minTopics = 3;
    static constexpr qsizetype maxTopics = 8;

    static QStringList topics(const QList<SpokenSentence>& sentences, const AttendeeNames& names,
                              qsizetype wanted = maxTopics);
};

} // namespace velmora
