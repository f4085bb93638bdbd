#include "ChromiumTest.h"
#include "harness/HeadlessVelmora.h"
#include "harness/StatusNotifierWatcher.h"
#include "library/MeetingHistoryManager.h"

#include <QDBusInterface>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

using namespace velmora;
using namespace velmora::e2e;

namespace {

constexpr int stepTimeoutMs = 20000;
const QString pollLogLine = QStringLiteral("velmora.session: Poll ");

// A dbusmenu layout as printed by dbus-send: each item's label with its id, in menu order.
QList<std::pair<int, QString>> labels(const QString& printed) {
    static const QRegularExpression id(QStringLiteral("^\\s*int32 (\\d+)$"));
    static const QRegularExpression label(QStringLiteral("^\\s*variant\\s+string \"(.*)\"$"));
    QList<std::pair<int, QString>> items;
    int current = -1;
    bool labelNext = false;
    for (const QString& line : printed.split(u'\n')) {
        if (const auto match = id.match(line); match.hasMatch())
            current = match.captured(1).toInt();
        else if (line.trimmed() == QLatin1String("string \"label\""))
            labelNext = true;
        else if (const auto match = label.match(line); labelNext && match.hasMatch()) {
            items.append({current, match.captured(1)});
            labelNext = false;
        }
    }
    return items;
}

// The running application as a desktop shows it: a tray host on the private session bus
// reads the tray item's menu over com.canonical.dbusmenu and clicks its entries.
class TrayApplicationTest : public ::testing::Test {
protected:
    BrowserSession& browser = session();
    QTemporaryDir output;
    QTemporaryDir config;
    StatusNotifierWatcher watcher{QDBusConnection::sessionBus()};
    std::unique_ptr<HeadlessVelmora> velmora;
    QString menuService;
    QString menuPath;

    void TearDown() override {
        if (HasFailure() && velmora)
            std::cerr << "velmora logged (last part):\n" << velmora->log().right(6000).toStdString() << '\n';
        velmora.reset();
    }

    void start() {
        // A user who finished the guide earlier; the transcripts go to the test's folder.
        QDir(config.path()).mkpath(QStringLiteral("velmora"));
        QSettings settings(config.filePath(QStringLiteral("velmora/velmora.ini")), QSettings::IniFormat);
        settings.setValue(QStringLiteral("hasCompletedOnboarding"), true);
        settings.setValue(QStringLiteral("outputDirectory"), output.path());
        settings.sync();
        QProcessEnvironment environment = browser.desktop().environment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("velmora.*.info=true"));
        environment.insert(QStringLiteral("VELMORA_STRICT_ACCESSIBILITY_THREAD"), QStringLiteral("1"));
        QElapsedTimer elapsed;
        elapsed.start();
        velmora = std::make_unique<HeadlessVelmora>(QStringLiteral(VELMORA_EXECUTABLE),
                                                    QStringList{QStringLiteral("--autostart")}, environment);
        ASSERT_TRUE(BrowserSession::waitUntil([&] { return !watcher.items().isEmpty(); }, stepTimeoutMs))
            << "no tray item registered";
        std::cout << "[ figure ] start-up to tray item registered: " << elapsed.elapsed() << " ms\n";
        const QString item = watcher.items().front();
        // Qt registers its item under a well-known name of its own.
        menuService = item.startsWith(u'/') ? watcher.itemOwner() : item;
        QDBusInterface properties(menuService, QStringLiteral("/StatusNotifierItem"),
                                  QStringLiteral("org.kde.StatusNotifierItem"));
        menuPath = properties.property("Menu").value<QDBusObjectPath>().path();
        ASSERT_FALSE(menuPath.isEmpty());
    }

    QString dbusSend(const QStringList& call) {
        QProcess process;
        process.setProcessEnvironment(browser.desktop().environment());
        process.start(QStringLiteral("dbus-send"),
                      QStringList{QStringLiteral("--session"), QStringLiteral("--print-reply"),
                                  QStringLiteral("--dest=") + menuService, menuPath} + call);
        // The menu's owner answers through this test's event loop only if it is another process.
        BrowserSession::waitUntil([&] { return process.state() == QProcess::NotRunning; }, 10000);
        return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    }
    // Opens the menu as a tray host does, then reads every entry.
    QList<std::pair<int, QString>> openMenu() {
        dbusSend({QStringLiteral("com.canonical.dbusmenu.AboutToShow"), QStringLiteral("int32:0")});
        return labels(dbusSend({QStringLiteral("com.canonical.dbusmenu.GetLayout"), QStringLiteral("int32:0"),
                                QStringLiteral("int32:-1"), QStringLiteral("array:string:")}));
    }
    static QStringList texts(const QList<std::pair<int, QString>>& items) {
        QStringList result;
        for (const auto& [id, text] : items)
            result.append(text);
        return result;
    }
};

TEST_F(TrayApplicationTest, MenuShowsTheCaptureAndQuitFinalisesItsTranscript) {
    ASSERT_TRUE(watcher.serve()) << "the private bus has a tray host already";
    browser.open(QStringLiteral("meet.html"));
    start();
    ASSERT_TRUE(BrowserSession::waitUntil(
        [&] { return texts(openMenu()).contains(QStringLiteral("Pause Monitoring")); }, stepTimeoutMs))
        << texts(openMenu()).join(u'|').toStdString();

    browser.run(QStringLiteral("meet.show(); meet.say('Ana Lima', 'Good morning everyone')"));
    ASSERT_TRUE(BrowserSession::waitUntil(
        [&] { return texts(openMenu()).filter(QStringLiteral("lines captured")).size() == 1; }, stepTimeoutMs));
    const QStringList capturing = texts(openMenu());
    EXPECT_TRUE(capturing.filter(QRegularExpression(QStringLiteral("^Google Meet · \\d\\d:\\d\\d$"))).size() == 1)
        << capturing.join(u'|').toStdString();
    EXPECT_EQ(capturing.front(), QStringLiteral("Open Velmora"));
    EXPECT_EQ(capturing.last(), QStringLiteral("Quit Velmora"));
    browser.run(QStringLiteral("meet.say('Ben', 'Morning Ana')"));
    const qsizetype polls = velmora->logCount(pollLogLine);
    ASSERT_TRUE(velmora->waitForLogCount(pollLogLine, polls + 2, stepTimeoutMs));

    int quitId = -1;
    for (const auto& [id, text] : openMenu()) {
        if (text == QLatin1String("Quit Velmora"))
            quitId = id;
    }
    ASSERT_GE(quitId, 0);
    dbusSend({QStringLiteral("com.canonical.dbusmenu.Event"), QStringLiteral("int32:%1").arg(quitId),
              QStringLiteral("string:clicked"), QStringLiteral("variant:int32:0"), QStringLiteral("uint32:0")});
    ASSERT_TRUE(BrowserSession::waitUntil([&] { return !velmora->isRunning(); }, stepTimeoutMs));
    EXPECT_EQ(velmora->exitCode(), std::optional<int>(0));

    QString error;
    const auto records = MeetingHistoryManager::loadRecords(QDir(output.path()).filePath(QStringLiteral("meetings.json")),
                                                            output.path(), error);
    ASSERT_TRUE(records && records->size() == 1) << error.toStdString();
    EXPECT_GT(records->front().duration, 0);
    QFile transcript(*records->front().transcriptPath);
    ASSERT_TRUE(transcript.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(transcript.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("Morning Ana"))) << text.toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("\\*\\*Duration:\\*\\* \\d\\d:\\d\\d:\\d\\d\n")).match(text).hasMatch());
    browser.run(QStringLiteral("meet.hide()"));
}

} // namespace
