#pragma once

#include "summary/AttendeeNames.h"
#include "summary/SpokenSentence.h"

#include <QList>
#include <QStringList>

namespace velmora {

// Finds what people committed to and what the group agreed on, by the English phrases people
// use for them ("I'll …", "can you …", "by Friday", "we decided …", a proposal answered with
// "Agreed."). Sentences in other languages are left alone.
class CommitmentFinder {
public:
    static constexpr qsizetype maxActionItems = 15;
    static constexpr qsizetype maxDecisions = 10;

    CommitmentFinder(const QList<SpokenSentence>& sentences, const AttendeeNames& names);

    // Each starts with the full name of the person who committed, in meeting order.
    QStringList actionItems() const;
    QStringList decisions() const;

private:
    struct Found {
        int index; // of the sentence, for meeting order
        int strength;
        QString text;
    };

    std::optional<Found> actionItem(int index) const;
    std::optional<Found> decision(int index) const;
    std::optional<Found> confirmedProposal(int index) const;
    std::optional<QString> accepter(int index) const;
    static QStringList strongestInOrder(QList<Found> found, qsizetype limit);

    const QList<SpokenSentence>& sentences_;
    const AttendeeNames& names_;
};

} // namespace velmora
