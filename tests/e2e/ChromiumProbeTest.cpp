#include "ChromiumTest.h"

#include "platform/linux/A11yStatus.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace velmora;
using namespace velmora::e2e;

namespace {

class ChromiumProbeTest : public ChromiumTest {
protected:
    QByteArray probe(const QStringList& arguments) {
        QProcess velmora;
        velmora.setProcessEnvironment(browser.desktop().environment());
        velmora.start(QStringLiteral(VELMORA_EXECUTABLE), QStringList{QStringLiteral("probe")} + arguments);
        EXPECT_TRUE(velmora.waitForFinished(60000));
        EXPECT_EQ(velmora.exitCode(), 0) << velmora.readAllStandardError().constData();
        return velmora.readAllStandardOutput();
    }
    static QJsonObject browserEntry(const QJsonObject& report, qint32 pid) {
        for (const QJsonValue& entry : report.value(QStringLiteral("browsers")).toArray()) {
            if (entry.toObject().value(QStringLiteral("pid")).toInt() == pid)
                return entry.toObject();
        }
        return {};
    }
};

TEST_F(ChromiumProbeTest, ShowsWhatTheReadersReadAndWhichBrowserMustBeRestarted) {
    open(QStringLiteral("meet.html"));
    run(QStringLiteral("meet.show(); meet.say('Ana Lima', 'Good morning'); meet.say('Bo', 'Hi')"));
    // A browser started while accessibility is off never loads its bridge.
    ASSERT_TRUE(A11yStatus::setEnabled(false));
    ChromiumBrowser late(browser.desktop(), browser.server().url(QStringLiteral("zoomframe.html")), false);
    ASSERT_TRUE(BrowserSession::waitUntil([&] { return browser.server().fetches(QStringLiteral("zoomframe.html")) > 0; }, 30000));

    const QJsonObject report = QJsonDocument::fromJson(probe({QStringLiteral("--json")})).object();
    const QByteArray text = probe({});
    ASSERT_TRUE(A11yStatus::setEnabled(true));

    EXPECT_EQ(report.keys(), (QStringList{"accessibilityEnabled", "browsers"}));
    EXPECT_FALSE(report.value(QStringLiteral("accessibilityEnabled")).toBool(true));
    const QJsonObject mine = browserEntry(report, browser.browserPID());
    EXPECT_EQ(mine.keys(), (QStringList{"exposesWeb", "identifier", "pid", "sources"}));
    EXPECT_EQ(mine.value(QStringLiteral("identifier")).toString(), QStringLiteral("chromium"));
    EXPECT_TRUE(mine.value(QStringLiteral("exposesWeb")).toBool());
    const QJsonArray sources = mine.value(QStringLiteral("sources")).toArray();
    ASSERT_EQ(sources.size(), 1);
    EXPECT_EQ(sources[0].toObject().value(QStringLiteral("source")).toString(), QStringLiteral("browserMeet"));
    const QJsonArray lines = sources[0].toObject().value(QStringLiteral("lines")).toArray();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].toObject(), (QJsonObject{{"speaker", "Ana Lima"}, {"text", "Good morning"}}));
    EXPECT_EQ(lines[1].toObject(), (QJsonObject{{"speaker", "Bo"}, {"text", "Hi"}}));

    const QJsonObject unregistered = browserEntry(report, late.pid());
    EXPECT_FALSE(unregistered.isEmpty());
    EXPECT_FALSE(unregistered.value(QStringLiteral("exposesWeb")).toBool(true));
    EXPECT_TRUE(unregistered.value(QStringLiteral("sources")).toArray().isEmpty());

    EXPECT_TRUE(text.contains(QStringLiteral("chromium (PID %1): not registered").arg(late.pid()).toUtf8())) << text.constData();
    EXPECT_TRUE(text.contains("restart it")) << text.constData();
    EXPECT_TRUE(text.contains("    Ana Lima: Good morning")) << text.constData();
}

TEST_F(ChromiumProbeTest, DescribesTheShapeOfACaptionAreaThatReadsNoLine) {
    // An item that shows its author but no caption yet: the area is there, no line is.
    open(QStringLiteral("teams.html"));
    run(QStringLiteral("teams.show(); teams.say('Dana Secret', '')"));
    const QJsonObject report = QJsonDocument::fromJson(probe({QStringLiteral("--json")})).object();
    const QByteArray text = probe({});

    const QJsonArray sources = browserEntry(report, browser.browserPID()).value(QStringLiteral("sources")).toArray();
    ASSERT_EQ(sources.size(), 1);
    const QJsonObject teams = sources[0].toObject();
    EXPECT_EQ(teams.value(QStringLiteral("source")).toString(), QStringLiteral("browserTeams"));
    EXPECT_TRUE(teams.value(QStringLiteral("lines")).toArray().isEmpty());
    EXPECT_TRUE(teams.value(QStringLiteral("areaFound")).toBool());
    const QString shape = teams.value(QStringLiteral("shape")).toString();
    EXPECT_TRUE(shape.startsWith(QStringLiteral("AXGroup \"Live Captions\" [AXGroup"))) << qPrintable(shape);
    EXPECT_TRUE(shape.contains(QStringLiteral("AXStaticText"))) << qPrintable(shape);
    EXPECT_FALSE(shape.contains(QStringLiteral("Secret"))) << "no text content: " << qPrintable(shape);
    EXPECT_TRUE(text.contains("caption area found, but no line read")) << text.constData();
    EXPECT_TRUE(text.contains(shape.toUtf8())) << text.constData();
}

} // namespace
