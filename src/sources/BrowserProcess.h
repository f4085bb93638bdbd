#pragma once

#include <QString>

namespace velmora {

// One running supported browser: its process and the bundle identifier it stands for.
struct BrowserProcess {
    qint32 pid = 0;
    QString bundleID;

    bool operator==(const BrowserProcess& other) const {
        return pid == other.pid && bundleID == other.bundleID;
    }
};

} // namespace velmora
