#pragma once

namespace velmora {

// The desktop's accessibility switch: org.a11y.Status IsEnabled on the session bus (served by
// at-spi-bus-launcher, which keeps it as the desktop's toolkit-accessibility setting). Toolkits
// and Chromium read it at start-up to decide whether to expose their trees.
namespace A11yStatus {

// False when the switch is off or nobody serves it.
bool isEnabled();
// Returns whether the switch accepted the new value.
bool setEnabled(bool enabled);

} // namespace A11yStatus

} // namespace velmora
