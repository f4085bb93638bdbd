#include "platform/linux/BrowserProcesses.h"

#include "sources/ApplicationIdentifiers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace velmora::BrowserProcesses {

namespace {

bool isHelperProcess(qint32 pid) {
    // Chromium rewrites its command line as one string, so look for the switch anywhere.
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
    return !cmdline.open(QIODevice::ReadOnly) || cmdline.readAll().contains("--type=");
}

} // namespace

QList<Process> running() {
    QList<Process> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool numeric = false;
        const qint32 pid = entry.toInt(&numeric);
        if (!numeric)
            continue;
        const QString target = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
        if (target.isEmpty())
            continue; // gone, or another user's
        const QString executable = QFileInfo(target).fileName();
        for (const QString& bundleID : ApplicationIdentifiers::chromiumBundleIDs()) {
            if (ApplicationIdentifiers::linuxIdentifiers(bundleID).contains(executable)) {
                if (!isHelperProcess(pid))
                    found.append(Process{pid, executable, bundleID});
                break;
            }
        }
    }
    std::sort(found.begin(), found.end(), [](const Process& a, const Process& b) { return a.pid < b.pid; });
    return found;
}

} // namespace velmora::BrowserProcesses
