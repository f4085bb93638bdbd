#include "harness/ChildProcess.h"

#include <QElapsedTimer>

#include <csignal>
#include <stdexcept>
#include <sys/prctl.h>

namespace velmora::e2e {

ChildProcess::~ChildProcess() { stop(); }

void ChildProcess::start(const QString& program, const QStringList& arguments,
                         const QProcessEnvironment& environment) {
    program_ = program;
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.setStandardErrorFile(QProcess::nullDevice());
    process_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process_.start(program, arguments);
    if (!process_.waitForStarted(10000))
        throw std::runtime_error(QStringLiteral("cannot start %1 (%2); scripts/setup installs it")
                                     .arg(program, process_.errorString())
                                     .toStdString());
}

QString ChildProcess::readLine(int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!process_.canReadLine()) {
        if (timer.elapsed() > timeoutMs || !process_.waitForReadyRead(int(timeoutMs - timer.elapsed())))
            break;
    }
    if (!process_.canReadLine())
        throw std::runtime_error(QStringLiteral("%1 printed nothing").arg(program_).toStdString());
    return QString::fromUtf8(process_.readLine()).trimmed();
}

void ChildProcess::stop() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

void ChildProcess::kill() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.kill();
    process_.waitForFinished(5000);
}

} // namespace velmora::e2e
