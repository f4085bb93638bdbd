#include "summary/ExtractiveSummarizer.h"

#include "summary/AttendeeNames.h"
#include "summary/CommitmentFinder.h"
#include "summary/KeyPhraseExtractor.h"
#include "summary/NotesDigest.h"
#include "summary/SpokenSentence.h"

#include <QSet>

namespace velmora::ExtractiveSummarizer {

namespace {

// Items of `first` then those of `second` not already there (ignoring case), at most `limit`.
QStringList merged(const QStringList& first, const QStringList& second, qsizetype limit) {
    QStringList result;
    QSet<QString> seen;
    for (const QStringList* list : {&first, &second}) {
        for (const QString& item : *list) {
            const QString key = item.toCaseFolded().simplified();
            if (result.size() >= limit || seen.contains(key))
                continue;
            seen.insert(key);
            result.append(item);
        }
    }
    return result;
}

} // namespace

PartialSummary summarize(const QString& cleanedTranscript, const QStringList& attendees,
                         const QString& notes) {
    const AttendeeNames names(attendees);
    const QList<SpokenSentence> sentences = SpokenSentence::fromTranscript(cleanedTranscript);
    const PartialSummary fromNotes = NotesDigest::read(notes, names);
    const CommitmentFinder finder(sentences, names);

    PartialSummary summary;
    const qsizetype spokenTopics =
        std::max<qsizetype>(KeyPhraseExtractor::minTopics,
                            KeyPhraseExtractor::maxTopics - fromNotes.topics.size());
    summary.topics = merged(fromNotes.topics, KeyPhraseExtractor::topics(sentences, names, spokenTopics),
                            KeyPhraseExtractor::maxTopics);
    summary.actionItems = merged(finder.actionItems(), fromNotes.actionItems,
                                 CommitmentFinder::maxActionItems + fromNotes.actionItems.size());
    summary.decisions = merged(finder.decisions(), fromNotes.decisions,
                               CommitmentFinder::maxDecisions + fromNotes.decisions.size());
    return summary;
}

} // namespace velmora::ExtractiveSummarizer
