#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace velmora {

// One section of a summary as the summary tab shows it: the text under one "## " heading, split
// into its "- " items and its other lines. Lines before the first heading form a section
// without a heading, so text a user or a model put there is not lost from view.
struct SummarySection {
    int id = 0; // 0, 1, … in order
    QString heading;
    QStringList items; // inline Markdown, without the "- "
    QStringList paragraphs; // inline Markdown
    bool isFirst = false;

    bool operator==(const SummarySection&) const = default;

    // The "# " title line is skipped; sections with no heading, items or paragraphs are dropped.
    static QList<SummarySection> fromMarkdown(const QString& markdown);
};

} // namespace velmora
