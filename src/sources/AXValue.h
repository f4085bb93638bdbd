#pragma once

#include "sources/AXElement.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <variant>

namespace velmora {

// A read attribute: absent, text, element list, string list or boolean.
using AXValue = std::variant<std::monostate, QString, QList<AXElement>, QStringList, bool>;

// Error codes of attribute reads and writes; 0 is success. Callers never tell the others apart.
namespace AXErrorCode {
inline constexpr int success = 0;
inline constexpr int failure = -25200;
inline constexpr int invalidElement = -25202;
inline constexpr int cannotComplete = -25204;
inline constexpr int attributeUnsupported = -25205;
inline constexpr int noValue = -25212;
} // namespace AXErrorCode

struct AXReadResult {
    int error = AXErrorCode::noValue;
    AXValue value;
};

} // namespace velmora
