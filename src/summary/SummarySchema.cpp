#include "summary/SummarySchema.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

namespace velmora::SummarySchema {

namespace {

QByteArray listProperty(const char* name, const char* description) {
    QJsonObject items{{QStringLiteral("type"), QStringLiteral("string")}};
    QJsonObject property{{QStringLiteral("type"), QStringLiteral("array")},
                         {QStringLiteral("items"), items},
                         {QStringLiteral("description"), QString::fromUtf8(description)}};
    return '"' + QByteArray(name) + "\":" + QJsonDocument(property).toJson(QJsonDocument::Compact);
}

std::optional<QStringList> stringList(const QJsonObject& object, const QString& key) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return QStringList();
    if (!value.isArray())
        return std::nullopt;
    QStringList list;
    for (const QJsonValue& item : value.toArray()) {
        if (!item.isString())
            return std::nullopt;
        // One line per item: a line break inside would split the bullet in the Markdown file.
        const QString text = item.toString().simplified();
        if (!text.isEmpty())
            list.append(text);
    }
    return list;
}

QString withoutCodeFence(const QString& content) {
    static const QRegularExpression fence(
        QStringLiteral("^\\s*```[A-Za-z]*\\s*\\n(.*)\\n\\s*```\\s*$"),
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = fence.match(content);
    return match.hasMatch() ? match.captured(1) : content;
}

} // namespace

QByteArray json() {
    return "{\"type\":\"object\",\"properties\":{" +
           listProperty("topics", topicsDescription) + ',' +
           listProperty("actionItems", actionItemsDescription) + ',' +
           listProperty("decisions", decisionsDescription) +
           "},\"required\":[\"topics\",\"actionItems\",\"decisions\"],"
           "\"additionalProperties\":false}";
}

std::optional<PartialSummary> parseAnswer(const QString& content) {
    QJsonParseError error;
    const QJsonDocument document =
        QJsonDocument::fromJson(withoutCodeFence(content).toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    auto topics = stringList(object, QStringLiteral("topics"));
    auto actionItems = stringList(object, QStringLiteral("actionItems"));
    auto decisions = stringList(object, QStringLiteral("decisions"));
    if (!topics || !actionItems || !decisions)
        return std::nullopt;
    return PartialSummary{*topics, *actionItems, *decisions};
}

} // namespace velmora::SummarySchema
