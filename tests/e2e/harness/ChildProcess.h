#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace velmora::e2e {

// A helper program the tests start, in a process group of its own. It dies with the test
// process even when that one crashes (PR_SET_PDEATHSIG), and it is stopped with everything it
// started (TERM, then KILL, to the whole group) when this object goes away.
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
    // Writes one line to the program's standard input.
    void writeLine(const QString& line);
    void stop();
    void kill();
    bool isRunning() const { return process_.state() != QProcess::NotRunning; }
    qint64 pid() const { return pid_; }
    QString name() const { return program_; }

private:
    void end(int signal); // to the whole group, then KILL for what is left

    QProcess process_;
    QString program_;
    qint64 pid_ = 0; // also the process group
    bool ended_ = false;
};

} // namespace velmora::e2e
