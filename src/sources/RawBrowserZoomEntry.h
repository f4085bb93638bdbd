#pragma once

#include <QString>

namespace velmora {

// A Zoom web caption line: the browser's identifier of its node, and its text.
struct RawBrowserZoomEntry {
    QString nodeId;
    QString text;

    bool operator==(const RawBrowserZoomEntry& other) const {
        return nodeId == other.nodeId && text == other.text;
    }
};

} // namespace velmora
