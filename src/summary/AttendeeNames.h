#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmora {

// The attendees' names as people say them: a full name, or a first name that only one
// attendee has, leads to the full name.
class AttendeeNames {
public:
    explicit AttendeeNames(const QStringList& attendees);

    // The attendee a name (full or first, any case) stands for.
    std::optional<QString> fullName(const QString& spoken) const;
    // The first attendee other than `except` whose name appears as a word in `text`.
    std::optional<QString> mentionedIn(const QString& text, const QString& except) const;
    // Lower-case words of every name, so topics do not become people.
    bool isNameWord(const QString& lowerWord) const { return nameWords_.contains(lowerWord); }

private:
    QHash<QString, QString> byName_; // lower-case full or unique first name → full name
    QHash<QString, bool> nameWords_;
};

} // namespace velmora
