#include "app/ZoomLevel.h"

#include "app/RawValues.h"

namespace velmora::ZoomLevels {

QList<ZoomLevel> all() {
    return {ZoomLevel::small, ZoomLevel::default_, ZoomLevel::large, ZoomLevel::extraLarge};
}

QString rawValue(ZoomLevel level) {
    switch (level) {
    case ZoomLevel::small: return QStringLiteral("small");
    case ZoomLevel::default_: return QStringLiteral("default");
    case ZoomLevel::large: return QStringLiteral("large");
    case ZoomLevel::extraLarge: return QStringLiteral("extraLarge");
    }
    Q_UNREACHABLE();
}

std::optional<ZoomLevel> fromRawValue(const QString& raw) {
    return RawValues::find(all(), rawValue, raw);
}

QString label(ZoomLevel level) {
    switch (level) {
    case ZoomLevel::small: return QStringLiteral("Small");
    case ZoomLevel::default_: return QStringLiteral("Default");
    case ZoomLevel::large: return QStringLiteral("Large");
    case ZoomLevel::extraLarge: return QStringLiteral("Extra Large");
    }
    Q_UNREACHABLE();
}

double textScale(ZoomLevel level) {
    switch (level) {
    case ZoomLevel::small: return 0.9;
    case ZoomLevel::default_: return 1.0;
    case ZoomLevel::large: return 1.1;
    case ZoomLevel::extraLarge: return 1.2;
    }
    Q_UNREACHABLE();
}

ZoomLevel zoomedIn(ZoomLevel level) {
    const QList<ZoomLevel> levels = all();
    const qsizetype index = levels.indexOf(level);
    return levels.at(std::min(index + 1, levels.size() - 1));
}

ZoomLevel zoomedOut(ZoomLevel level) {
    const QList<ZoomLevel> levels = all();
    const qsizetype index = levels.indexOf(level);
    return levels.at(std::max<qsizetype>(index - 1, 0));
}

} // namespace velmora::ZoomLevels
