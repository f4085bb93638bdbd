#pragma once

#include <QStringList>

#include <optional>

namespace velmora {

// `velmora --headless [--output-dir DIR]`: the application without windows. Prints one line per
// change of the capture state and per saved transcript; SIGINT or SIGTERM finalise and exit 0.
// Exits 1 when accessibility is off.
namespace HeadlessCommand {
int run(const QStringList& arguments);
// The absolute folder named by --output-dir, created with its parents as the default folder
// is; nullopt after saying on standard error why it cannot be used.
std::optional<QString> prepareOutputDirectory(const QString& path);
} // namespace HeadlessCommand

// `velmora --enable-accessibility`: turns the desktop's assistive-technology support on.
namespace EnableAccessibilityCommand {
int run();
} // namespace EnableAccessibilityCommand

} // namespace velmora
