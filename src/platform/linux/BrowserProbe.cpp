#include "platform/linux/BrowserProbe.h"

#include "capture/QtScheduler.h"
#include "capture/SystemClock.h"
#include "platform/linux/AtspiAccessibility.h"
#include "platform/linux/BrowserProcesses.h"
#include "sources/AXHelpers.h"
#include "sources/BrowserCaptionScanner.h"
#include "sources/BrowserMeetCaptionReader.h"
#include "sources/BrowserTeamsCaptionReader.h"
#include "sources/BrowserZoomCaptionReader.h"

#include <QDeadlineTimer>
#include <QLoggingCategory>
#include <QSet>
#include <QThread>

#include <cstdio>

namespace velmora {

namespace {
// The caption area, its children and theirs.
constexpr int shapeLevels = 2;
} // namespace

BrowserProbe::BrowserProbe(AtspiAccessibility& accessibility) : ax_(accessibility) {}

QList<ProbeReport::Source> BrowserProbe::readSources(qint32 pid) {
    QList<BrowserCaptionTarget> targets;
    const QList<BrowserTargetConfig> configs = BrowserCaptionScanner::standardConfigs();
    for (const BrowserTargetConfig& config : configs)
        targets.append(config.target);
    const auto seen = BrowserCaptionScanner::scanBrowsers(ax_, {BrowserProcess{pid, QString()}}, targets, configs);

    QtScheduler scheduler;
    SystemClock clock;
    const ReaderEnvironment env{ax_, ax_.queue(), scheduler, clock};
    QList<ProbeReport::Source> sources;
    for (CaptionSource source : CaptionSources::all()) {
        if (!seen.contains(source))
            continue;
        std::shared_ptr<CaptionPollingReader> reader;
        if (source == CaptionSource::browserMeet)
            reader = std::make_shared<BrowserMeetCaptionReader>(env, pid);
        else if (source == CaptionSource::browserTeams)
            reader = std::make_shared<BrowserTeamsCaptionReader>(env, pid);
        else
            reader = std::make_shared<BrowserZoomCaptionReader>(env, pid);
        // One poll of the real reader, its queries all in one accessibility job.
        AXPollResult result;
        QString shape;
        ax_.perform([&] {
            result = reader->pollAXTree(ax_.applicationElement(pid), AXElement());
            if (result.kind == AXPollResult::Kind::found && result.entries.isEmpty())
                shape = AXHelpers::outline(ax_, result.container, shapeLevels);
        });
        ProbeReport::Source read{source, {}, result.kind == AXPollResult::Kind::found, shape};
        for (const CaptionEntry& entry : reader->applyPollResult(result))
            read.lines.append({entry.speaker, entry.text});
        sources.append(read);
    }
    return sources;
}

ProbeReport BrowserProbe::run(int settleMs) {
    ProbeReport report;
    report.accessibilityEnabled = ax_.isProcessTrusted();
    QSet<qint32> registered;
    for (const RunningApplication& app : ax_.runningApplications())
        registered.insert(app.processIdentifier);

    const QList<BrowserProcesses::Process> processes = BrowserProcesses::running();
    // A browser whose bridge is loaded builds its web tree only when asked.
    QDeadlineTimer settle(settleMs);
    for (const auto& process : processes) {
        if (!registered.contains(process.pid))
            continue;
        const AXElement app = ax_.applicationElement(process.pid);
        while (!ax_.exposesWebContent(app) && !settle.hasExpired()) {
            AXHelpers::enableChromiumAccessibility(ax_, process.pid);
            QThread::msleep(100);
        }
    }
    for (const auto& process : processes) {
        ProbeReport::Browser browser;
        browser.pid = process.pid;
        browser.identifier = process.executable;
        browser.registered = registered.contains(process.pid);
        browser.exposesWeb = browser.registered && ax_.exposesWebContent(ax_.applicationElement(process.pid));
        if (browser.exposesWeb)
            browser.sources = readSources(process.pid);
        report.browsers.append(browser);
    }
    return report;
}

int BrowserProbe::command(const QStringList& arguments) {
    const bool json = arguments.contains(QStringLiteral("--json"));
    for (const QString& argument : arguments) {
        if (argument != QStringLiteral("--json")) {
            std::fprintf(stderr, "velmora probe: unknown option %s\nUsage: velmora probe [--json]\n",
                         qUtf8Printable(argument));
            return 2;
        }
    }
    // The readers' progress notes are for the log, not for this report.
    if (!qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("velmora.*.info=false"));
    AtspiAccessibility accessibility;
    const ProbeReport report = BrowserProbe(accessibility).run();
    const QByteArray output = json ? report.toJson() : report.toText().toUtf8();
    std::fwrite(output.constData(), 1, size_t(output.size()), stdout);
    return 0;
}

} // namespace velmora
