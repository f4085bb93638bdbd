#include "harness/HeadlessVelmora.h"

#include "harness/BrowserSession.h"

#include <csignal>
#include <stdexcept>
#include <sys/prctl.h>

namespace velmora::e2e {

HeadlessVelmora::HeadlessVelmora(const QString& program, const QStringList& arguments,
                                 const QProcessEnvironment& environment) {
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    QObject::connect(&process_, &QProcess::readyReadStandardOutput, [this] { collect(); });
    QObject::connect(&process_, &QProcess::readyReadStandardError,
                     [this] { log_ += process_.readAllStandardError(); });
    process_.start(program, arguments);
    if (!process_.waitForStarted(10000))
        throw std::runtime_error(QStringLiteral("cannot start %1: %2")
                                     .arg(program, process_.errorString())
                                     .toStdString());
}

HeadlessVelmora::~HeadlessVelmora() {
    if (!isRunning())
        return;
    process_.kill();
    process_.waitForFinished(5000);
}

void HeadlessVelmora::collect() {
    pendingOutput_ += process_.readAllStandardOutput();
    qsizetype end;
    while ((end = pendingOutput_.indexOf('\n')) >= 0) {
        lines_.append(QString::fromUtf8(pendingOutput_.left(end)));
        pendingOutput_.remove(0, end + 1);
    }
}

std::optional<QString> HeadlessVelmora::waitForLine(const QRegularExpression& pattern,
                                                    int timeoutMs, qsizetype from) {
    std::optional<QString> found;
    BrowserSession::waitUntil(
        [&] {
            for (qsizetype i = from; i < lines_.size() && !found; ++i) {
                if (pattern.match(lines_[i]).hasMatch())
                    found = lines_[i];
            }
            return found.has_value() || !isRunning();
        },
        timeoutMs);
    if (!found) {
        collect();
        for (qsizetype i = from; i < lines_.size() && !found; ++i) {
            if (pattern.match(lines_[i]).hasMatch())
                found = lines_[i];
        }
    }
    return found;
}

qsizetype HeadlessVelmora::logCount(const QString& fragment) const {
    return log().count(fragment);
}

bool HeadlessVelmora::waitForLogCount(const QString& fragment, qsizetype count, int timeoutMs) {
    return BrowserSession::waitUntil([&] { return logCount(fragment) >= count || !isRunning(); },
                                     timeoutMs) &&
           logCount(fragment) >= count;
}

std::optional<int> HeadlessVelmora::terminate(int timeoutMs) {
    if (!isRunning())
        return process_.exitStatus() == QProcess::NormalExit ? std::optional(process_.exitCode())
                                                             : std::nullopt;
    ::kill(pid_t(process_.processId()), SIGTERM);
    if (!BrowserSession::waitUntil([&] { return !isRunning(); }, timeoutMs)) {
        process_.kill();
        process_.waitForFinished(5000);
        return std::nullopt;
    }
    collect();
    log_ += process_.readAllStandardError();
    if (process_.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return process_.exitCode();
}

} // namespace velmora::e2e
