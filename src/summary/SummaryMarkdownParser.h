#pragma once

#include "summary/MeetingSummary.h"

#include <QList>
#include <QString>

namespace velmora {

// The Markdown form of a summary file: "# Meeting Summary" and four "## " sections of "- " items.
// `parse` is tolerant so that a summary the user edited still reads: any text parses, lines it
// does not understand are skipped, and only the exact section headings open a section.
class SummaryMarkdownParser {
public:
    // One section of a summary: its Markdown heading, its title in exported documents and the list
    // it fills.
    struct Section {
        QString heading;
        QString title;
        QStringList MeetingSummary::*items;
    };
    // Topics, Action Items, Decisions, Attendees: the order of files and exported documents.
    static const QList<Section>& sections();

    static QString render(const MeetingSummary& summary);
    static MeetingSummary parse(const QString& markdown);
};

} // namespace velmora
