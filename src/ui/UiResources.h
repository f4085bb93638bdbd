#pragma once

namespace velmora::UiResources {

// Registers the windows' and the tray's icons; a static library's resources are not
// registered by themselves. Safe to call more than once.
void load();

} // namespace velmora::UiResources
