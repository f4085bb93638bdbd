#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmora::e2e {

// `velmora` (headless or in the tray) as a child of the test: its status lines (standard output) and its log
// (standard error) are collected while the caller waits in Qt's event loop, so services the
// test process offers on the bus (a notification server) keep answering. Killed with the test.
class HeadlessVelmora {
public:
    HeadlessVelmora(const QString& program, const QStringList& arguments,
                    const QProcessEnvironment& environment);
    ~HeadlessVelmora();
    HeadlessVelmora(const HeadlessVelmora&) = delete;
    HeadlessVelmora& operator=(const HeadlessVelmora&) = delete;

    qint64 pid() const { return process_.processId(); }
    bool isRunning() const { return process_.state() != QProcess::NotRunning; }
    // How it ended by itself: its exit status, or nullopt while it runs or after a crash.
    std::optional<int> exitCode() const {
        if (isRunning() || process_.exitStatus() != QProcess::NormalExit)
            return std::nullopt;
        return process_.exitCode();
    }
    const QStringList& lines() const { return lines_; }
    QString log() const { return QString::fromUtf8(log_); }

    // The first status line from index `from` on that matches, waiting up to `timeoutMs`.
    std::optional<QString> waitForLine(const QRegularExpression& pattern, int timeoutMs,
                                       qsizetype from = 0);
    // Log lines that contain `fragment`.
    qsizetype logCount(const QString& fragment) const;
    // Waits until the log holds at least `count` lines containing `fragment`.
    bool waitForLogCount(const QString& fragment, qsizetype count, int timeoutMs);
    // SIGTERM; the exit code once it ended within `timeoutMs`, else nullopt (then killed).
    std::optional<int> terminate(int timeoutMs);

private:
    void collect();

    QProcess process_;
    QStringList lines_;
    QByteArray pendingOutput_;
    QByteArray log_;
};

} // namespace velmora::e2e
