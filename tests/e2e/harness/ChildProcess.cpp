#include "harness/ChildProcess.h"

#include <QElapsedTimer>
#include <QThread>

#include <csignal>
#include <stdexcept>
#include <sys/prctl.h>
#include <unistd.h>

namespace velmora::e2e {

ChildProcess::~ChildProcess() { stop(); }

void ChildProcess::start(const QString& program, const QStringList& arguments,
                         const QProcessEnvironment& environment) {
    program_ = program;
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.setStandardErrorFile(QProcess::nullDevice());
    process_.setChildProcessModifier([] {
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
    process_.start(program, arguments);
    if (!process_.waitForStarted(10000))
        throw std::runtime_error(QStringLiteral("cannot start %1 (%2); scripts/setup installs it")
                                     .arg(program, process_.errorString())
                                     .toStdString());
    pid_ = process_.processId();
    ended_ = false;
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

void ChildProcess::writeLine(const QString& line) {
    process_.write(line.toUtf8() + '\n');
    if (!process_.waitForBytesWritten(5000))
        throw std::runtime_error(QStringLiteral("cannot write to %1").arg(program_).toStdString());
}

namespace {

// Waits until no process of the group is left; true when none is.
bool groupGone(pid_t group, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (::kill(-group, 0) == 0) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QThread::msleep(20);
    }
    return true;
}

} // namespace

void ChildProcess::stop() { end(SIGTERM); }

void ChildProcess::kill() { end(SIGKILL); }

void ChildProcess::end(int signal) {
    const pid_t group = pid_t(pid_);
    if (group <= 0 || std::exchange(ended_, true))
        return;
    ::kill(-group, signal);
    process_.waitForFinished(5000);
    if (!groupGone(group, 5000)) {
        ::kill(-group, SIGKILL);
        process_.waitForFinished(5000);
        groupGone(group, 5000);
    }
}

} // namespace velmora::e2e
