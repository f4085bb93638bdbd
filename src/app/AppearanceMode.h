#pragma once

#include <QList>
#include <QSettings>
#include <QString>

#include <optional>

namespace velmora {

// Light or dark windows, or whatever the desktop uses; stored under "appearanceMode".
enum class AppearanceMode { system, light, dark };

namespace AppearanceModes {

inline constexpr auto userDefaultsKey = "appearanceMode";

QList<AppearanceMode> all();
QString rawValue(AppearanceMode mode);
std::optional<AppearanceMode> fromRawValue(const QString& raw);
// Anything stored that names no mode counts as `system`; it is not rewritten.
AppearanceMode stored(const QSettings& defaults);
void store(QSettings& defaults, AppearanceMode mode);

} // namespace AppearanceModes

} // namespace velmora
