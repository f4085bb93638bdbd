#include "summary/AttendeeNames.h"

#include <QRegularExpression>

namespace velmora {

AttendeeNames::AttendeeNames(const QStringList& attendees) {
    QHash<QString, int> firstNameUses;
    for (const QString& name : attendees) {
        const QStringList words = name.split(u' ', Qt::SkipEmptyParts);
        if (!words.isEmpty())
            ++firstNameUses[words.first().toLower()];
        for (const QString& word : words)
            nameWords_.insert(word.toLower(), true);
    }
    for (const QString& name : attendees) {
        byName_.insert(name.toLower(), name);
        const QStringList words = name.split(u' ', Qt::SkipEmptyParts);
        if (words.size() > 1 && firstNameUses.value(words.first().toLower()) == 1)
            byName_.insert(words.first().toLower(), name);
    }
}

std::optional<QString> AttendeeNames::fullName(const QString& spoken) const {
    const auto found = byName_.constFind(spoken.trimmed().toLower());
    if (found == byName_.constEnd())
        return std::nullopt;
    return *found;
}

std::optional<QString> AttendeeNames::mentionedIn(const QString& text, const QString& except) const {
    static const QRegularExpression words(QStringLiteral("[\\p{L}\\p{M}\\p{N}'-]+"));
    const QString lower = text.toLower();
    for (const QRegularExpressionMatch& match : words.globalMatch(lower)) {
        if (auto name = fullName(match.captured()); name && *name != except)
            return name;
    }
    return std::nullopt;
}

} // namespace velmora
