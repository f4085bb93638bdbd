#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace velmora::e2e {

// A helper program the tests start. It dies with the test process even when that one crashes
// (PR_SET_PDEATHSIG), and is stopped (TERM, then KILL) when this object goes away.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Throws std::runtime_error with a clear message when the program cannot be started.
    void start(const QString& program, const QStringList& arguments,
               const QProcessEnvironment& environment);
    // The first line the program prints on standard output, within `timeoutMs`.
    QString readLine(int timeoutMs);
    void stop();
    void kill();
    bool isRunning() const { return process_.state() != QProcess::NotRunning; }
    qint64 pid() const { return process_.processId(); }
    QString name() const { return program_; }

private:
    QProcess process_;
    QString program_;
};

} // namespace velmora::e2e
