#pragma once

#include "app/ZoomProvider.h"

#include <QSettings>

namespace velmora {

// The text size under "zoomLevel".
class ZoomManager final : public ZoomProvider {
public:
    static constexpr auto userDefaultsKey = "zoomLevel";

    explicit ZoomManager(QSettings& defaults) : defaults_(defaults) {}

    std::optional<QString> storedZoomLevel() const override;
    void setZoomLevel(ZoomLevel level) override;

private:
    QSettings& defaults_;
};

} // namespace velmora
