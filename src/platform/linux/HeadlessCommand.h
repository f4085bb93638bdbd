#pragma once

#include <QStringList>

namespace velmora {

// `velmora --headless [--output-dir DIR]`: the application without windows. Prints one line per
// change of the capture state and per saved transcript; SIGINT or SIGTERM finalise and exit 0.
// Exits 1 when accessibility is off.
namespace HeadlessCommand {
int run(const QStringList& arguments);
} // namespace HeadlessCommand

// `velmora --enable-accessibility`: turns the desktop's assistive-technology support on.
namespace EnableAccessibilityCommand {
int run();
} // namespace EnableAccessibilityCommand

} // namespace velmora
