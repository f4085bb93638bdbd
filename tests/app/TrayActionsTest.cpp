#include "app/AboutInfo.h"
#include "app/AppState.h"
#include "app/TrayActions.h"
#include "capture/FileError.h"
#include "fakes/AwaitTask.h"
#include "fakes/FakeDesktopServices.h"
#include "fakes/SwitchableOutputDirectory.h"
#include "summary/SummaryExporter.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmora;

namespace {

// Writes the format's name into the target, or refuses like a full disk.
class WritingExporter final : public SummaryExporter {
public:
    QCoro::Task<> exportPDF(QString from, QString to) override { return write(from, to, "pdf"); }
    QCoro::Task<> exportDOCX(QString from, QString to) override { return write(from, to, "docx"); }
    bool fail = false;
    QStringList sources;

private:
    QCoro::Task<> write(QString from, QString to, QByteArray format) {
        sources.append(from);
        if (fail)
            throw FileError(QStringLiteral("No space left on device"));
        QFile out(to);
        out.open(QIODevice::WriteOnly);
        out.write(format);
        co_return;
    }
};

class TrayActionsTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    AppState state;
    SwitchableOutputDirectory output{dir.filePath(QStringLiteral("out"))};
    WritingExporter exporter;
    FakeDesktopServices desktop;
    QStringList requests;
    TrayActions actions{state, output, exporter, desktop,
                        {[this] { requests << QStringLiteral("window"); }, [this] { requests << QStringLiteral("quit"); },
                         [this](const DesktopServices::AccessibilitySwitch& result) {
                             requests << QStringLiteral("restart ") + result.browsersToRestart.join(u',');
                         }}};
};

TEST_F(TrayActionsTest, ExportWritesBesideTheSummaryAndShowsTheNewFile) {
    const QString summary = dir.filePath(QStringLiteral("2026-03-14 Zoom.summary.md"));
    const auto pdf = awaitTask(actions.exportAndReveal(summary, ExportFormat::pdf));
    const QString expected = dir.filePath(QStringLiteral("2026-03-14 Zoom.summary.pdf"));
    EXPECT_EQ(pdf.value, std::optional<std::optional<QString>>(expected));
    EXPECT_EQ(exporter.sources, QStringList{summary});
    EXPECT_EQ(desktop.revealed, QStringList{expected});

    const auto docx = awaitTask(actions.exportAndReveal(summary, ExportFormat::docx));
    QFile written(dir.filePath(QStringLiteral("2026-03-14 Zoom.summary.docx")));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("docx"));
}

TEST_F(TrayActionsTest, AFailedExportIsLoggedAndRevealsNothing) {
    exporter.fail = true;
    const auto result = awaitTask(actions.exportAndReveal(dir.filePath(QStringLiteral("s.md")), ExportFormat::pdf));
    EXPECT_FALSE(result.error);
    ASSERT_TRUE(result.value.has_value());
    EXPECT_FALSE(result.value->has_value());
    EXPECT_TRUE(desktop.revealed.isEmpty());
}

TEST_F(TrayActionsTest, FileEntriesGoToTheFileManagerOrTheFolder) {
    MeetingRecord record;
    record.transcriptPath = dir.filePath(QStringLiteral("t.md"));
    actions.showInFileManager(record);
    EXPECT_EQ(desktop.revealed, QStringList{*record.transcriptPath});
    record.transcriptPath.reset();
    actions.showInFileManager(record);
    actions.openTranscriptsFolder();
    EXPECT_EQ(desktop.opened, QStringList(2, output.outputDirectory()));
    actions.checkForUpdates();
    EXPECT_EQ(desktop.openedUrls, QList<QUrl>{AboutInfo::releasesURL()});
}

TEST_F(TrayActionsTest, WithoutAControllerOnlyTheWindowAndDesktopEntriesAct) {
    state.setCaptureState(CaptureState::monitoring());
    actions.startMonitoring();
    actions.retry();
    actions.summarize(MeetingRecord{});
    actions.pauseMonitoring();
    EXPECT_EQ(state.captureState(), CaptureState::idle()) << "pausing shows idle at once";

    desktop.switchResult = {true, {QStringLiteral("chromium"), QStringLiteral("brave")}};
    actions.turnOnAccessibility();
    actions.openMainWindow();
    actions.quit();
    EXPECT_EQ(requests, (QStringList{QStringLiteral("restart chromium,brave"), QStringLiteral("window"),
                                     QStringLiteral("quit")}));
}

} // namespace
