#include "app/ZoomManager.h"

namespace velmora {

std::optional<QString> ZoomManager::storedZoomLevel() const {
    const QVariant stored = defaults_.value(QLatin1String(userDefaultsKey));
    if (!stored.isValid())
        return std::nullopt;
    return stored.toString();
}

void ZoomManager::setZoomLevel(ZoomLevel level) {
    defaults_.setValue(QLatin1String(userDefaultsKey), ZoomLevels::rawValue(level));
}

} // namespace velmora
