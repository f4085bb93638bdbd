#include "summary/SummarySection.h"

namespace velmora {

QList<SummarySection> SummarySection::fromMarkdown(const QString& markdown) {
    QList<SummarySection> sections;
    SummarySection current;
    const auto close = [&] {
        if (current.heading.isEmpty() && current.items.isEmpty() && current.paragraphs.isEmpty())
            return;
        current.id = int(sections.size());
        current.isFirst = sections.isEmpty();
        sections.append(current);
    };
    for (const QString& raw : markdown.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u"# "))
            continue;
        if (line.startsWith(u"## ")) {
            close();
            current = SummarySection();
            current.heading = line.mid(3).trimmed();
        } else if (line.startsWith(u"- ")) {
            current.items.append(line.mid(2));
        } else {
            current.paragraphs.append(line);
        }
    }
    close();
    return sections;
}

} // namespace velmora
