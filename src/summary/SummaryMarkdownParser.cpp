#include "summary/SummaryMarkdownParser.h"

#include <algorithm>

namespace velmora {

namespace {

const QString documentTitle = QStringLiteral("# Meeting Summary");
const QString bullet = QStringLiteral("- ");

// Only spaces and tabs: other white space (a no-break space, say) belongs to the item.
QString trimSpacesAndTabs(const QString& line) {
    qsizetype begin = 0;
    qsizetype end = line.size();
    auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (begin < end && blank(line[begin]))
        ++begin;
    while (end > begin && blank(line[end - 1]))
        --end;
    return line.mid(begin, end - begin);
}

// An item is one line of the file: a line break inside it would start a line of its own (possibly
// a heading that swallows the sections after it).
QString asOneLine(QString item) {
    for (QChar breakChar : {QChar(u'\r'), QChar(u'\n'), QChar(0x2028), QChar(0x2029)})
        item.replace(breakChar, u' ');
    return item;
}

} // namespace

const QList<SummaryMarkdownParser::Section>& SummaryMarkdownParser::sections() {
    static const QList<Section> all = {
        {QStringLiteral("## Topics"), QStringLiteral("Topics"), &MeetingSummary::topics},
        {QStringLiteral("## Action Items"), QStringLiteral("Action Items"), &MeetingSummary::actionItems},
        {QStringLiteral("## Decisions"), QStringLiteral("Decisions"), &MeetingSummary::decisions},
        {QStringLiteral("## Attendees"), QStringLiteral("Attendees"), &MeetingSummary::attendees},
    };
    return all;
}

QString SummaryMarkdownParser::render(const MeetingSummary& summary) {
    QStringList lines = {documentTitle, QString()};
    for (const Section& section : sections()) {
        lines << section.heading;
        for (const QString& item : summary.*section.items)
            lines << bullet + asOneLine(item);
        lines << QString();
    }
    return lines.join(u'\n');
}

MeetingSummary SummaryMarkdownParser::parse(const QString& markdown) {
    MeetingSummary summary;
    QStringList* current = nullptr;
    for (QString line : markdown.split(u'\n')) {
        // A file saved with CRLF line ends reads like one with LF.
        if (line.endsWith(u'\r'))
            line.chop(1);
        line = trimSpacesAndTabs(line);
        auto known = std::find_if(sections().begin(), sections().end(),
                                  [&](const Section& section) { return section.heading == line; });
        if (known != sections().end()) {
            current = &(summary.*known->items);
        } else if (line.startsWith(u"# ") || line.startsWith(u"## ")) {
            // Another heading ends the section, so its bullets do not land in the one above.
            current = nullptr;
        } else if (current && line.startsWith(bullet)) {
            // In the form render() writes it, so that saving what was read changes nothing (a
            // stray carriage return or line separator inside the line would become a space).
            const QString item = trimSpacesAndTabs(asOneLine(line.mid(bullet.size())));
            if (!item.isEmpty())
                current->append(item);
        }
    }
    return summary;
}

} // namespace velmora
