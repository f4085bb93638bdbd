#include "app/AppearanceMode.h"

#include "app/RawValues.h"

namespace velmora::AppearanceModes {

QList<AppearanceMode> all() {
    return {AppearanceMode::system, AppearanceMode::light, AppearanceMode::dark};
}

QString rawValue(AppearanceMode mode) {
    switch (mode) {
    case AppearanceMode::system: return QStringLiteral("system");
    case AppearanceMode::light: return QStringLiteral("light");
    case AppearanceMode::dark: return QStringLiteral("dark");
    }
    Q_UNREACHABLE();
}

std::optional<AppearanceMode> fromRawValue(const QString& raw) {
    return RawValues::find(all(), rawValue, raw);
}

AppearanceMode stored(const QSettings& defaults) {
    return fromRawValue(defaults.value(QLatin1String(userDefaultsKey)).toString())
        .value_or(AppearanceMode::system);
}

void store(QSettings& defaults, AppearanceMode mode) {
    defaults.setValue(QLatin1String(userDefaultsKey), rawValue(mode));
}

} // namespace velmora::AppearanceModes
