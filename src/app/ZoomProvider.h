#pragma once

#include "app/ZoomLevel.h"

#include <QString>

#include <optional>

namespace velmora {

// Where the text size is persisted.
class ZoomProvider {
public:
    virtual ~ZoomProvider() = default;

    // The stored raw value as written, which may name no level.
    virtual std::optional<QString> storedZoomLevel() const = 0;
    virtual void setZoomLevel(ZoomLevel level) = 0;
};

} // namespace velmora
