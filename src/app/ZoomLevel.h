#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace velmora {

// Text size of the windows, stored by its raw string; the order is the order of stepping.
// `default_` is stored as "default".
enum class ZoomLevel { small, default_, large, extraLarge };

namespace ZoomLevels {

QList<ZoomLevel> all();
QString rawValue(ZoomLevel level);
std::optional<ZoomLevel> fromRawValue(const QString& raw);
QString label(ZoomLevel level);
// Factor applied to every base font size.
double textScale(ZoomLevel level);
// One step larger / smaller; the ends stay where they are.
ZoomLevel zoomedIn(ZoomLevel level);
ZoomLevel zoomedOut(ZoomLevel level);

} // namespace ZoomLevels

} // namespace velmora
