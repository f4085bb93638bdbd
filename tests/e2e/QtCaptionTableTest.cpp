#include "ChromiumTest.h"

#include "fakes/QtPrinters.h"
#include "harness/ChildProcess.h"
#include "sources/AXHelpers.h"
#include "sources/NativeAppCaptionMonitor.h"
#include "sources/ZoomCaptionReader.h"

#include <QFile>
#include <QTemporaryDir>

#include <stdexcept>

using namespace velmora;
using namespace velmora::e2e;
using namespace std::chrono_literals;

namespace {

// The caption table fixture (a Qt Widgets program) on the session's desktop, running under the
// desktop client's executable name so that the readers find it as they would find the client.
class CaptionTableProgram {
public:
    CaptionTableProgram(const PrivateDesktop& desktop, const QString& layout) {
        const QString path = directory_.filePath(QStringLiteral("zoom"));
        if (!QFile::copy(QStringLiteral(VELMORA_ZOOM_FIXTURE), path))
            throw std::runtime_error("cannot copy the caption table fixture");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment environment = desktop.environment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
        process_.start(path, {QStringLiteral("--layout=") + layout}, environment);
        if (process_.readLine(15000) != QLatin1String("ready"))
            throw std::runtime_error("the caption table fixture did not start");
    }

    qint32 pid() const { return qint32(process_.pid()); }
    // Applies one command; it has taken effect in the window when this returns.
    void send(const QString& command) {
        process_.writeLine(command);
        const QString reply = process_.readLine(5000);
        if (reply != QLatin1String("ok"))
            throw std::runtime_error(("fixture answered " + reply + " to " + command).toStdString());
    }
    void quit() {
        send(QStringLiteral("quit"));
        process_.stop();
    }

private:
    QTemporaryDir directory_;
    ChildProcess process_;
};

class QtCaptionTableTest : public ChromiumTest {
protected:
    PIDCache pidCache{ax, clock};
    std::unique_ptr<CaptionTableProgram> zoom;

    // Starts the fixture and waits until the accessibility registry lists it and its window
    // shows its content (the application registers before its window is mapped).
    void launch(const QString& layout) {
        zoom = std::make_unique<CaptionTableProgram>(browser.desktop(), layout);
        const qint32 pid = zoom->pid();
        ASSERT_TRUE(BrowserSession::waitUntil([&] {
            for (const RunningApplication& app : ax.runningApplications()) {
                if (app.processIdentifier == pid)
                    return app.bundleIdentifier == QLatin1String("zoom");
            }
            return false;
        }, 15000)) << "the fixture never registered over AT-SPI";
        const AXElement app = ax.applicationElement(pid);
        ASSERT_TRUE(BrowserSession::waitUntil([&] {
            for (const AXElement& window : AXHelpers::children(ax, app)) {
                if (!AXHelpers::children(ax, window).isEmpty())
                    return true;
            }
            return false;
        }, 15000)) << "the fixture's window never showed over AT-SPI";
    }
};

TEST_F(QtCaptionTableTest, MonitorAndReaderFollowAQtItemTable) {
    launch(QStringLiteral("items"));
    zoom->send(QStringLiteral("add Ana Lima\tGood morning"));

    NativeAppCaptionMonitor monitor(NativeAppMonitorConfig::zoom(), 5000ms, ax, ax.queue(),
                                    scheduler, pidCache);
    int appeared = 0;
    monitor.onCaptionsAppeared = [&] { ++appeared; };
    monitor.startMonitoring();
    scheduler.runDue();
    EXPECT_TRUE(BrowserSession::waitUntil([&] { return appeared == 1; }, 15000));
    monitor.stopMonitoring();

    ReaderDriver<ZoomCaptionReader> reader(scheduler, std::make_shared<ZoomCaptionReader>(env, pidCache));
    reader.start();
    EXPECT_EQ(reader.lastLines(), QStringList{"Ana Lima: Good morning"});

    // The captions change between two polls.
    zoom->send(QStringLiteral("set 0\tGood morning everyone"));
    zoom->send(QStringLiteral("add Ben\tHi Ana"));
    const QStringList two{"Ana Lima: Good morning everyone", "Ben: Hi Ana"};
    EXPECT_EQ(reader.pollUntil(two), two);

    // Nobody speaking: an empty snapshot, and the table stays cached.
    zoom->send(QStringLiteral("remove 1"));
    zoom->send(QStringLiteral("remove 0"));
    EXPECT_EQ(reader.pollUntil({}), QStringList{});
    EXPECT_TRUE(reader.reader().hasCachedContainer());

    // The client quits: the stream ends within a couple of polls.
    zoom->quit();
    for (int i = 0; i < 4 && reader.poll(); ++i) {
    }
    EXPECT_TRUE(reader.collected().ended());
}

TEST_F(QtCaptionTableTest, CellWidgetsOfAQtTableAreNotExposed) {
    // Qt 6.4 shows a cell widget's picture and label to no one over AT-SPI: the table is found,
    // its cells are empty.
    launch(QStringLiteral("widgets"));
    zoom->send(QStringLiteral("add Ana Lima\tGood morning"));
    ReaderDriver<ZoomCaptionReader> reader(scheduler, std::make_shared<ZoomCaptionReader>(env, pidCache));
    reader.start();
    EXPECT_TRUE(reader.reader().hasCachedContainer());
    EXPECT_EQ(reader.lastLines(), QStringList{});
}

} // namespace
