#include "summary/NotesDigest.h"

#include <QRegularExpression>

namespace velmora::NotesDigest {

namespace {

constexpr auto caseless = QRegularExpression::CaseInsensitiveOption;

// "Bob: send the deck" or "Bob to send the deck" names the person; the full name leads.
QString withFullName(const QString& item, const AttendeeNames& names) {
    static const QRegularExpression lead(QStringLiteral("^([\\p{L}'-]+(?: [\\p{L}'-]+)?)\\s*(:|\\bto\\b|\\bwill\\b)"));
    const QRegularExpressionMatch match = lead.match(item);
    if (!match.hasMatch())
        return item;
    for (const QString& candidate : {match.captured(1), match.captured(1).section(u' ', 0, 0)}) {
        if (auto full = names.fullName(candidate)) {
            const qsizetype nameEnd = match.capturedStart(1) + candidate.size();
            return *full + item.mid(nameEnd);
        }
    }
    return item;
}

} // namespace

PartialSummary read(const QString& notes, const AttendeeNames& names) {
    static const QRegularExpression task(QStringLiteral("^\\s*(?:[-*+]|\\d+[.)])?\\s*\\[[ xX]\\]\\s+(.+)$"));
    static const QRegularExpression marked(
        QStringLiteral("^\\s*(?:[-*+]\\s+)?(?:todo|to-do|to do|action item|action|ai)\\s*[:\\-–]\\s*(.+)$"),
        caseless);
    static const QRegularExpression decided(
        QStringLiteral("^\\s*(?:[-*+]\\s+)?(?:decision|decided|agreed)\\s*[:\\-–]\\s*(.+)$"), caseless);
    static const QRegularExpression bullet(QStringLiteral("^\\s*(?:[-*+•]|\\d+[.)])\\s+(.+)$"));
    PartialSummary digest;
    for (const QString& line : notes.split(u'\n')) {
        if (auto m = task.match(line); m.hasMatch()) {
            digest.actionItems.append(withFullName(m.captured(1).trimmed(), names));
        } else if (auto m = marked.match(line); m.hasMatch()) {
            digest.actionItems.append(withFullName(m.captured(1).trimmed(), names));
        } else if (auto m = decided.match(line); m.hasMatch()) {
            digest.decisions.append(m.captured(1).trimmed());
        } else if (auto m = bullet.match(line); m.hasMatch()) {
            const QString text = m.captured(1).trimmed();
            if (text.size() <= maxTopicLength)
                digest.topics.append(text);
        }
    }
    return digest;
}

} // namespace velmora::NotesDigest
