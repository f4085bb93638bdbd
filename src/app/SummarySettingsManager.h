#pragma once

#include "summary/SummaryEngineChoice.h"

#include <QSettings>
#include <QString>
#include <QUrl>

namespace velmora {

// The summary settings beside the other preferences: engine ("auto", "model", "extractive"),
// the model server's base URL (empty: the first default address that answers) and the
// model's name (empty: the first the server lists).
class SummarySettingsManager {
public:
    static constexpr auto engineKey = "summaryEngine";
    static constexpr auto modelServerURLKey = "modelServerURL";
    static constexpr auto modelNameKey = "modelName";

    explicit SummarySettingsManager(QSettings& defaults) : defaults_(defaults) {}

    SummaryEngineChoice engine() const;
    void setEngine(SummaryEngineChoice engine);
    QUrl modelServerURL() const;
    void setModelServerURL(const QUrl& url);
    QString modelName() const;
    void setModelName(const QString& name);

private:
    QSettings& defaults_;
};

} // namespace velmora
