#include "app/SummarySettingsManager.h"

namespace velmora {

SummaryEngineChoice SummarySettingsManager::engine() const {
    const QString stored = defaults_.value(QLatin1String(engineKey)).toString();
    return SummaryEngineChoices::fromRawValue(stored).value_or(SummaryEngineChoice::automatic);
}

void SummarySettingsManager::setEngine(SummaryEngineChoice engine) {
    defaults_.setValue(QLatin1String(engineKey), SummaryEngineChoices::rawValue(engine));
}

QUrl SummarySettingsManager::modelServerURL() const {
    const QUrl url(defaults_.value(QLatin1String(modelServerURLKey)).toString(), QUrl::StrictMode);
    // Only an http(s) address can be a model server; anything else means "not set".
    if (!url.isValid() || (url.scheme() != u"http" && url.scheme() != u"https"))
        return {};
    return url;
}

void SummarySettingsManager::setModelServerURL(const QUrl& url) {
    defaults_.setValue(QLatin1String(modelServerURLKey), url.toString());
}

QString SummarySettingsManager::modelName() const {
    return defaults_.value(QLatin1String(modelNameKey)).toString().trimmed();
}

void SummarySettingsManager::setModelName(const QString& name) {
    defaults_.setValue(QLatin1String(modelNameKey), name);
}

} // namespace velmora
