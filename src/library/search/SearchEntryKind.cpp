#include "library/search/SearchEntryKind.h"

namespace velmora::SearchEntryKinds {

QString rawValue(SearchEntryKind kind) {
    switch (kind) {
    case SearchEntryKind::transcript: return QStringLiteral("transcript");
    case SearchEntryKind::notes: return QStringLiteral("notes");
    case SearchEntryKind::summary: return QStringLiteral("summary");
    }
    return {};
}

std::optional<SearchEntryKind> fromRawValue(const QString& raw) {
    for (const SearchEntryKind kind : {SearchEntryKind::transcript, SearchEntryKind::notes,
                                       SearchEntryKind::summary}) {
        if (rawValue(kind) == raw)
            return kind;
    }
    return std::nullopt;
}

std::optional<SearchEntryKind> fromInt(int value) {
    if (value < 0 || value > 2)
        return std::nullopt;
    return static_cast<SearchEntryKind>(value);
}

} // namespace velmora::SearchEntryKinds
