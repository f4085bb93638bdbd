#pragma once

#include "harness/ChildProcess.h"

#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace velmora::e2e {

// A desktop of the tests' own: an X server, a D-Bus session and the accessibility bus, none of
// which the user's session can see. Starting it points this process at them (DISPLAY,
// DBUS_SESSION_BUS_ADDRESS, XDG_RUNTIME_DIR), so it must come before anything talks D-Bus or
// AT-SPI. Throws std::runtime_error when a part cannot be started.
class PrivateDesktop {
public:
    PrivateDesktop();
    ~PrivateDesktop();

    // For programs started on this desktop.
    QProcessEnvironment environment() const { return environment_; }
    QString home() const { return home_.path(); }

    // Kills the accessibility bus (launcher, bus daemon and registry) as a crash would.
    void killAccessibilityBus();
    // A new accessibility bus, as a session brings back after a crash. Programs connected to
    // the old one stay there.
    void startAccessibilityBus();

private:
    void waitForAccessibilityBus();

    QTemporaryDir runtime_;
    QTemporaryDir home_;
    QProcessEnvironment environment_;
    ChildProcess xserver_;
    ChildProcess session_;
    ChildProcess accessibilityBus_;
};

} // namespace velmora::e2e
