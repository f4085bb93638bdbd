#pragma once

#include <QList>
#include <QString>

namespace velmora {

// The browser processes of the supported Chromium-family browsers that run on this machine,
// whether or not they talk to the accessibility bus: the main process of each (helpers such as
// renderers run the same executable with a --type= switch).
namespace BrowserProcesses {

struct Process {
    qint32 pid = 0;
    QString executable; // the name of /proc/PID/exe
    QString bundleID;   // the browser it is, from the identifier table
};

QList<Process> running(); // by process id

} // namespace BrowserProcesses

} // namespace velmora
