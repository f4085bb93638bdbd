#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace velmora::RawValues {

// The case among `cases` stored as `raw`, for enumerations kept by their raw strings.
template <typename Enum, typename RawValueOf>
std::optional<Enum> find(const QList<Enum>& cases, RawValueOf rawValueOf, const QString& raw) {
    for (Enum value : cases) {
        if (rawValueOf(value) == raw)
            return value;
    }
    return std::nullopt;
}

} // namespace velmora::RawValues
