#pragma once

#include "summary/PartialSummary.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>

namespace velmora {

// The structured answer asked of a model: three lists of text, in this order, each with the
// description the model is given.
namespace SummarySchema {

inline constexpr const char* topicsDescription =
    "3 to 8 specific topics discussed, using component or tool names";
inline constexpr const char* actionItemsDescription =
    "Commitments from the transcript, each starting with the person's full name";
inline constexpr const char* decisionsDescription = "Agreements the group explicitly confirmed";

// The JSON schema, written with its properties in the order above (a QJsonObject would sort
// them, and grammar-constrained servers generate properties in schema order).
QByteArray json();
// The three lists of a model's answer. Tolerates a Markdown code fence around the JSON and
// missing lists; nullopt when the text is not a JSON object or a list holds something else.
std::optional<PartialSummary> parseAnswer(const QString& content);

} // namespace SummarySchema

} // namespace velmora
