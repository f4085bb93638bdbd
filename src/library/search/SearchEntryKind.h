#pragma once

#include <QString>

#include <optional>

namespace velmora {

// Which file of a meeting a search entry comes from; decides the tab a result opens on.
enum class SearchEntryKind { transcript = 0, notes = 1, summary = 2 };

namespace SearchEntryKinds {
// "transcript", "notes", "summary".
QString rawValue(SearchEntryKind kind);
std::optional<SearchEntryKind> fromRawValue(const QString& raw);
std::optional<SearchEntryKind> fromInt(int value);
} // namespace SearchEntryKinds

} // namespace velmora
