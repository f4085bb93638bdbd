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

#include <QCommandLineParser>
#include <QDeadlineTimer>
#include <QLoggingCategory>
#include <QSet>
#include <QThread>

#include <cstdio>

namespace velmora {

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
        ax_.perform([&] { result = reader->pollAXTree(ax_.applicationElement(pid), AXElement()); });
        ProbeReport::Source read{source, {}};
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
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help."));
    const QCommandLineOption jsonOption(QStringLiteral("json"),
                                        QStringLiteral("Prints the report as JSON."));
    parser.addOptions({help, jsonOption});
    if (!parser.parse(arguments) || !parser.positionalArguments().isEmpty()) {
        const QString problem = parser.positionalArguments().isEmpty()
                                    ? parser.errorText()
                                    : QStringLiteral("unexpected argument \"%1\"")
                                          .arg(parser.positionalArguments().front());
        std::fprintf(stderr, "velmora probe: %s (see velmora probe --help)\n", qUtf8Printable(problem));
        return 2;
    }
    if (parser.isSet(help)) {
        std::printf("Usage: velmora probe [--json]\n\n"
                    "Shows what Velmora sees in every running browser right now: whether it exposes\n"
                    "web pages, and the meeting captions each reader finds. Needs the desktop's\n"
                    "accessibility support.\n\nOptions:\n  --json  %s\n",
                    qUtf8Printable(jsonOption.description()));
        return 0;
    }
    const bool json = parser.isSet(jsonOption);
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
