#include "app/MeetingLibrary.h"

#include "fakes/FakeMeetingHistory.h"
#include "fakes/SwitchableOutputDirectory.h"

#include <QMap>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace velmora;

namespace {

class MeetingLibraryTest : public ::testing::Test {
protected:
    SwitchableOutputDirectory output{QStringLiteral("/meetings/a")};
    QMap<QString, std::shared_ptr<FakeMeetingHistory>> histories;
    MeetingLibrary library{output, [this](const QString& folder) {
                               auto history = std::make_shared<FakeMeetingHistory>();
                               histories.insert(folder, history);
                               return history;
                           }};

    static MeetingRecord record() {
        MeetingRecord record;
        record.id = QUuid::createUuid();
        record.source = CaptionSource::zoom;
        return record;
    }
};

TEST_F(MeetingLibraryTest, AFolderChangeMovesTheHistoryAndItsWatcher) {
    library.startWatching();
    QSignalSpy folders(&library, &MeetingLibrary::folderChanged);
    QSignalSpy changes(&library, &MeetingLibrary::recordsChanged);
    EXPECT_EQ(library.refreshFolder(), "/meetings/a");
    EXPECT_EQ(folders.count(), 0);
    auto first = histories.value("/meetings/a");

    output.path = QStringLiteral("/meetings/b");
    EXPECT_EQ(library.refreshFolder(), "/meetings/b");
    auto second = histories.value("/meetings/b");
    ASSERT_TRUE(second);
    EXPECT_EQ(library.history(), second);
    EXPECT_EQ(first->watchStops, 1);
    EXPECT_EQ(second->watchStarts, 1);
    EXPECT_EQ(folders.count(), 1);
    EXPECT_EQ(changes.count(), 1);

    // The old folder's history no longer speaks for the library; the new one does.
    first->deleteRecord(record());
    EXPECT_EQ(changes.count(), 1);
    second->deleteRecord(record());
    EXPECT_EQ(changes.count(), 2);

    library.stopWatching();
    output.path = QStringLiteral("/meetings/c");
    library.refreshFolder();
    EXPECT_EQ(histories.value("/meetings/c")->watchStarts, 0); // not watching: stays so
}

TEST_F(MeetingLibraryTest, RecordChangesAreAnnouncedAndAFinishedMeetingStaysInItsFolder) {
    QSignalSpy added(&library, &MeetingLibrary::recordAdded);
    QSignalSpy finalised(&library, &MeetingLibrary::recordFinalised);
    QSignalSpy deleted(&library, &MeetingLibrary::recordDeleted);
    MeetingRecord live = record();
    auto home = library.addRecord(live);
    EXPECT_EQ(added.count(), 1);

    output.path = QStringLiteral("/meetings/b");
    library.refreshFolder();
    live.duration = 42;
    library.finaliseRecord(*home, live);
    ASSERT_EQ(histories.value("/meetings/a")->stored.size(), 1);
    EXPECT_EQ(histories.value("/meetings/a")->stored[0].duration, 42);
    EXPECT_TRUE(library.records().isEmpty());
    ASSERT_EQ(finalised.count(), 1);
    EXPECT_EQ(finalised[0][0].value<MeetingRecord>().duration, 42);

    MeetingRecord other = record();
    library.addRecord(other);
    // A notes file recorded by the window reaches the meeting list, which deletes it later.
    QSignalSpy changed(&library, &MeetingLibrary::recordsChanged);
    other.notesPath = QStringLiteral("/meetings/b/x-notes.md");
    library.updateRecord(other);
    EXPECT_EQ(changed.count(), 1);
    ASSERT_EQ(library.records().size(), 1);
    EXPECT_EQ(library.records()[0].notesPath, other.notesPath);
    library.deleteRecord(other);
    ASSERT_EQ(deleted.count(), 1);
    EXPECT_EQ(deleted[0][0].toUuid(), other.id);
    EXPECT_TRUE(library.records().isEmpty());
}

} // namespace
