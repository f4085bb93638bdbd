#include "ChromiumTest.h"

#include "capture/MarkdownFormatter.h"
#include "harness/HeadlessVelmora.h"
#include "library/MeetingHistoryManager.h"

#include <QFile>
#include <QTemporaryDir>

#include <atspi/atspi.h>

#include <iostream>

using namespace velmora;
using namespace velmora::e2e;

namespace {

// Reads another program's widgets the way a screen reader does: names of objects found by
// role and name, on the backend's accessibility thread.
class ScreenReader {
public:
    ScreenReader(AtspiAccessibility& ax, qint32 pid) : ax_(ax), pid_(pid) {}

    // The names of the children of the first list named `name`; empty while there is none.
    QStringList listItems(const QString& name) {
        QStringList items;
        withList(name, [&items](AtspiAccessible* list) {
            const int count = atspi_accessible_get_child_count(list, nullptr);
            for (int i = 0; i < count; ++i) {
                AtspiAccessible* child = atspi_accessible_get_child_at_index(list, i, nullptr);
                if (!child)
                    continue;
                items.append(text(atspi_accessible_get_name(child, nullptr)));
                g_object_unref(child);
            }
        });
        return items;
    }

    // Selects a row of the list, as arrow keys or a click would.
    bool selectRow(const QString& name, int row) {
        bool selected = false;
        withList(name, [&](AtspiAccessible* list) {
            AtspiTable* table = atspi_accessible_get_table_iface(list);
            if (!table)
                return;
            selected = atspi_table_add_row_selection(table, row, nullptr);
            g_object_unref(table);
        });
        return selected;
    }

private:
    static QString text(gchar* owned) {
        const QString result = QString::fromUtf8(owned ? owned : "");
        g_free(owned);
        return result;
    }

    void withList(const QString& name, const std::function<void(AtspiAccessible*)>& use) {
        ax_.perform([&] {
            AtspiAccessible* app = application();
            if (!app)
                return;
            atspi_accessible_clear_cache(app);
            if (AtspiAccessible* list = find(app, name, 0)) {
                use(list);
                g_object_unref(list);
            }
            g_object_unref(app);
        });
    }

    AtspiAccessible* application() {
        AtspiAccessible* desktop = atspi_get_desktop(0);
        AtspiAccessible* found = nullptr;
        const int count = atspi_accessible_get_child_count(desktop, nullptr);
        for (int i = 0; i < count && !found; ++i) {
            AtspiAccessible* app = atspi_accessible_get_child_at_index(desktop, i, nullptr);
            if (app && qint32(atspi_accessible_get_process_id(app, nullptr)) == pid_)
                found = app;
            else if (app)
                g_object_unref(app);
        }
        g_object_unref(desktop);
        return found;
    }

    // Depth-first; the caller releases the result.
    AtspiAccessible* find(AtspiAccessible* node, const QString& name, int depth) {
        if (depth > 30)
            return nullptr;
        const AtspiRole role = atspi_accessible_get_role(node, nullptr);
        if ((role == ATSPI_ROLE_LIST || role == ATSPI_ROLE_LIST_BOX || role == ATSPI_ROLE_TABLE) &&
            text(atspi_accessible_get_name(node, nullptr)) == name)
            return ATSPI_ACCESSIBLE(g_object_ref(node));
        const int count = atspi_accessible_get_child_count(node, nullptr);
        // Items of lists are not searched: lists do not nest here.
        if (role == ATSPI_ROLE_LIST || role == ATSPI_ROLE_LIST_BOX)
            return nullptr;
        for (int i = 0; i < count; ++i) {
            AtspiAccessible* child = atspi_accessible_get_child_at_index(node, i, nullptr);
            if (!child)
                continue;
            AtspiAccessible* found = find(child, name, depth + 1);
            g_object_unref(child);
            if (found)
                return found;
        }
        return nullptr;
    }

    AtspiAccessibility& ax_;
    qint32 pid_;
};

MeetingRecord writeMeeting(const QString& folder, const QDateTime& start, CaptionSource source,
                           const QList<CaptionEntry>& entries) {
    MeetingRecord record;
    record.id = QUuid::createUuid();
    record.date = start;
    record.duration = 1500;
    record.source = source;
    record.transcriptPath = folder + QStringLiteral("/meeting-%1.md").arg(start.toString(QStringLiteral("yyyyMMdd-HHmm")));
    const MarkdownFormatter formatter;
    QString text = formatter.formatHeader(start, start);
    QString previous;
    for (const CaptionEntry& entry : entries) {
        text += formatter.formatEntry(entry, entry.speaker != previous);
        previous = entry.speaker;
    }
    QFile file(*record.transcriptPath);
    if (file.open(QIODevice::WriteOnly))
        file.write(formatter.formatFinalization(text, start.addSecs(1500), 1500).toUtf8());
    return record;
}

} // namespace

// `velmora --window` over a folder of meetings, read over AT-SPI as a screen reader would: the
// sidebar's day groups and meetings, then the selected meeting's transcript blocks.
TEST(WindowAccessibilityTest, ScreenReaderReadsMeetingsByDayAndTheSelectedTranscript) {
    BrowserSession& browser = session();
    // No captions on screen: the window shows only the folder's meetings.
    browser.open(QStringLiteral("blank.html"));
    QTemporaryDir output;
    QTemporaryDir config;
    const QDateTime today(QDate::currentDate(), QTime(9, 0), Qt::LocalTime);
    const QList<MeetingRecord> records{
        writeMeeting(output.path(), today, CaptionSource::browserTeams,
                     {{today, QStringLiteral("Ann Lee"), QStringLiteral("Good morning.")},
                      {today.addSecs(4), QStringLiteral("Ann Lee"), QStringLiteral("Shall we start?")},
                      {today.addSecs(9), QStringLiteral("Bo Park"), QStringLiteral("Yes, go ahead.")}}),
        writeMeeting(output.path(), QDateTime(QDate(2025, 3, 4), QTime(15, 30), Qt::LocalTime),
                     CaptionSource::browserMeet,
                     {{QDateTime(QDate(2025, 3, 4), QTime(15, 30)), QStringLiteral("Cy"), QStringLiteral("Hi")}}),
    };
    QFile history(output.filePath(QStringLiteral("meetings.json")));
    ASSERT_TRUE(history.open(QIODevice::WriteOnly));
    history.write(MeetingHistoryManager::encode(records));
    history.close();

    QProcessEnvironment environment = browser.desktop().environment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("TZ"), QString::fromLocal8Bit(qgetenv("TZ")));
    environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    HeadlessVelmora velmora(QStringLiteral(VELMORA_EXECUTABLE),
                            {QStringLiteral("--window"), QStringLiteral("--output-dir"), output.path()},
                            environment);
    ScreenReader reader(browser.accessibility(), qint32(velmora.pid()));

    const QStringList expectedMeetings{QStringLiteral("Today"), QStringLiteral("Teams, 09:00, 25 min"),
                                       QStringLiteral("Mar 4, 2025"),
                                       QStringLiteral("Google Meet, 15:30, 25 min")};
    QStringList meetings;
    BrowserSession::waitUntil([&] { return (meetings = reader.listItems(QStringLiteral("Meetings"))) == expectedMeetings; },
                              20000);
    EXPECT_EQ(meetings, expectedMeetings) << "velmora logged:\n" << velmora.log().toStdString();

    ASSERT_TRUE(reader.selectRow(QStringLiteral("Meetings"), 1));
    const QStringList expectedBlocks{QStringLiteral("Ann Lee, 09:00:00, Good morning. Shall we start?"),
                                     QStringLiteral("Bo Park, 09:00:09, Yes, go ahead.")};
    QStringList blocks;
    BrowserSession::waitUntil([&] { return (blocks = reader.listItems(QStringLiteral("Transcript"))) == expectedBlocks; },
                              20000);
    EXPECT_EQ(blocks, expectedBlocks);
    velmora.terminate(10000);
}
