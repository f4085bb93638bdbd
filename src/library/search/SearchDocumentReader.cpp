#include "library/search/SearchDocumentReader.h"

#include <QRegularExpression>
#include <QStringList>

namespace velmora {

namespace {

QString trimSpacesAndTabs(QStringView line) {
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && (line[begin] == QLatin1Char(' ') || line[begin] == QLatin1Char('\t')))
        ++begin;
    while (end > begin && (line[end - 1] == QLatin1Char(' ') || line[end - 1] == QLatin1Char('\t')))
        --end;
    return line.mid(begin, end - begin).toString();
}

QStringList lines(const QString& content) {
    QStringList result = content.split(QLatin1Char('\n'));
    for (QString& line : result) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return result;
}

// Builds paragraphs from consecutive non-blank lines.
class ParagraphCollector {
public:
    void addLine(const QString& line) {
        if (line.trimmed().isEmpty()) {
            finish();
            return;
        }
        lines_.append(line.trimmed());
    }
    // The finished paragraph, if one was open.
    std::optional<QString> finish() {
        if (lines_.isEmpty())
            return std::nullopt;
        QString text = lines_.join(QLatin1Char('\n'));
        lines_.clear();
        finished_.append(text);
        return text;
    }
    QStringList takeFinished() { return std::exchange(finished_, {}); }

private:
    QStringList lines_;
    QStringList finished_;
};

// "HH:mm:ss" as written in a transcript; none for a time of day that cannot be ("42:30:50"),
// which would otherwise be stored as midnight.
std::optional<QTime> timeOfDay(const QString& text) {
    const QTime time = QTime::fromString(text, QStringLiteral("HH:mm:ss"));
    return time.isValid() ? std::optional<QTime>(time) : std::nullopt;
}

} // namespace

QList<IndexedEntry> SearchDocumentReader::read(SearchEntryKind kind, const QString& content) {
    switch (kind) {
    case SearchEntryKind::transcript: return readTranscript(content);
    case SearchEntryKind::notes: return readNotes(content);
    case SearchEntryKind::summary: return readSummary(content);
    }
    return {};
}

QList<IndexedEntry> SearchDocumentReader::readTranscript(const QString& content) {
    static const QRegularExpression markdownHeading(
        QStringLiteral("^\\*\\*\\[(\\d\\d:\\d\\d:\\d\\d)\\] (.*):\\*\\*$"));
    static const QRegularExpression plainLine(QStringLiteral("^\\[(\\d\\d:\\d\\d:\\d\\d)\\] (.*?): (.*)$"));

    QList<IndexedEntry> entries;
    // Markdown paragraphs belong to the heading above them; text before the first heading
    // is the file's header.
    bool inUtterances = false;
    QString speaker;
    std::optional<QTime> time;
    ParagraphCollector paragraphs;
    const auto flush = [&] {
        paragraphs.finish();
        for (const QString& text : paragraphs.takeFinished()) {
            if (inUtterances)
                entries.append({static_cast<int>(entries.size()), speaker, time, {}, text});
        }
    };
    for (const QString& line : lines(content)) {
        if (const auto heading = markdownHeading.match(line); heading.hasMatch()) {
            flush();
            inUtterances = true;
            time = timeOfDay(heading.captured(1));
            speaker = heading.captured(2);
            continue;
        }
        if (const auto plain = plainLine.match(line); plain.hasMatch()) {
            flush();
            inUtterances = false; // a plain-text line is an utterance of its own
            const QString text = plain.captured(3).trimmed();
            if (!text.isEmpty()) {
                entries.append({static_cast<int>(entries.size()), plain.captured(2),
                                timeOfDay(plain.captured(1)), {}, text});
            }
            continue;
        }
        if (inUtterances) {
            // Each paragraph is an utterance of its own, under the same heading.
            paragraphs.addLine(line);
        }
    }
    flush();
    return entries;
}

QList<IndexedEntry> SearchDocumentReader::readNotes(const QString& content) {
    ParagraphCollector paragraphs;
    for (const QString& line : lines(content))
        paragraphs.addLine(line);
    paragraphs.finish();
    QList<IndexedEntry> entries;
    for (const QString& text : paragraphs.takeFinished())
        entries.append({static_cast<int>(entries.size()), {}, std::nullopt, {}, text});
    return entries;
}

QList<IndexedEntry> SearchDocumentReader::readSummary(const QString& content) {
    static const QStringList sections = {QStringLiteral("Topics"), QStringLiteral("Action Items"),
                                         QStringLiteral("Decisions"), QStringLiteral("Attendees")};
    QList<IndexedEntry> entries;
    std::optional<QString> section;
    for (const QString& raw : lines(content)) {
        const QString line = trimSpacesAndTabs(raw);
        if (line.startsWith(QLatin1String("## ")) && sections.contains(line.mid(3))) {
            section = line.mid(3);
        } else if (line.startsWith(QLatin1String("# ")) || line.startsWith(QLatin1String("## "))) {
            section.reset();
        } else if (section && line.startsWith(QLatin1String("- "))) {
            // Action items name their owner in bold ("**Ann**: …"); results show plain text.
            static const QRegularExpression bold(QStringLiteral("\\*\\*(.+?)\\*\\*"));
            const QString item =
                trimSpacesAndTabs(line.mid(2).replace(bold, QStringLiteral("\\1")));
            if (!item.trimmed().isEmpty())
                entries.append({static_cast<int>(entries.size()), {}, std::nullopt, *section, item});
        }
    }
    return entries;
}

} // namespace velmora
