#pragma once

#include "platform/linux/ProbeReport.h"

#include <QStringList>

namespace velmora {

class AtspiAccessibility;

// `velmora probe`: what the scanner and the readers see right now in every running browser,
// and why a browser shows nothing.
class BrowserProbe {
public:
    explicit BrowserProbe(AtspiAccessibility& accessibility);

    // Switches the browsers' web content on as the application does, gives them up to
    // `settleMs` to build it, then looks.
    ProbeReport run(int settleMs = 2000);

    // The subcommand: `probe [--json]`, `arguments` starting with "probe"; returns the exit
    // status (2 for unknown arguments).
    static int command(const QStringList& arguments);

private:
    QList<ProbeReport::Source> readSources(qint32 pid);

    AtspiAccessibility& ax_;
};

} // namespace velmora
