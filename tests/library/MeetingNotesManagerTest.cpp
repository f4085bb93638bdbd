#include "library/MeetingNotesManager.h"
#include "fakes/LogCapture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace velmora;

namespace {

const QString category = QStringLiteral("velmora.notes");

class MeetingNotesManagerTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    MeetingNotesManager notes;

    QString path(const QString& name) const { return dir.filePath(name); }
    static QByteArray read(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static void write(const QString& file, const QByteArray& bytes) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    MeetingRecord withTranscript(const QString& name) const {
        MeetingRecord record;
        record.id = QUuid::createUuid();
        record.transcriptPath = path(name);
        return record;
    }
};

TEST_F(MeetingNotesManagerTest, NotesFileNameDropsOnlyTheLastExtension) {
    EXPECT_EQ(MeetingNotesManager::notesPath(QStringLiteral("/o/2026-03-14_09-30-05_Teams.md")),
              QStringLiteral("/o/2026-03-14_09-30-05_Teams-notes.md"));
    EXPECT_EQ(MeetingNotesManager::notesPath(QStringLiteral("/o/a.b.md")), QStringLiteral("/o/a.b-notes.md"));
    EXPECT_EQ(MeetingNotesManager::notesPath(QStringLiteral("/o/plain")), QStringLiteral("/o/plain-notes.md"));
}

TEST_F(MeetingNotesManagerTest, MeetingWithoutTranscriptHasNoNotes) {
    MeetingRecord record;
    EXPECT_EQ(notes.loadNotes(record), QString());
    EXPECT_EQ(notes.saveNotes(QStringLiteral("x"), record), std::nullopt);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(MeetingNotesManagerTest, SavedNotesAreFoundBesideTheTranscriptExactlyAsWritten) {
    const MeetingRecord record = withTranscript(QStringLiteral("2026-03-14_09-30-05_Teams.md"));
    EXPECT_EQ(notes.loadNotes(record), QString());

    const QString text = QStringLiteral("# Ideas\n- ship it ✓");
    const auto saved = notes.saveNotes(text, record);
    EXPECT_EQ(saved, path(QStringLiteral("2026-03-14_09-30-05_Teams-notes.md")));
    EXPECT_EQ(read(*saved), text.toUtf8());
    EXPECT_EQ(notes.loadNotes(record), text);

    EXPECT_EQ(notes.saveNotes(QString(), record), saved);
    EXPECT_EQ(read(*saved), QByteArray());
}

TEST_F(MeetingNotesManagerTest, LinkedNotesAreReadButSavesGoToTheDerivedFile) {
    MeetingRecord record = withTranscript(QStringLiteral("m.md"));
    record.notesPath = path(QStringLiteral("elsewhere.md"));
    write(*record.notesPath, "linked");
    EXPECT_EQ(notes.loadNotes(record), QStringLiteral("linked"));

    EXPECT_EQ(notes.saveNotes(QStringLiteral("new"), record), path(QStringLiteral("m-notes.md")));
    EXPECT_EQ(read(*record.notesPath), "linked");
}

TEST_F(MeetingNotesManagerTest, UnreadableNotesGiveEmptyTextAndALog) {
    MeetingRecord record = withTranscript(QStringLiteral("m.md"));
    record.notesPath = path(QStringLiteral("broken.md"));
    write(*record.notesPath, "ok \xE2\x82"); // cut off inside a character
    LogCapture log;
    EXPECT_EQ(notes.loadNotes(record), QString());
    record.notesPath = path(QStringLiteral("gone.md"));
    EXPECT_EQ(notes.loadNotes(record), QString());
    EXPECT_TRUE(log.contains(category, QStringLiteral("No notes file at ") + path(QStringLiteral("broken.md"))));
    EXPECT_TRUE(log.contains(category, QStringLiteral("No notes file at ") + path(QStringLiteral("gone.md"))));
}

TEST_F(MeetingNotesManagerTest, FailedSaveIsReportedWithoutAFile) {
    const MeetingRecord record = withTranscript(QStringLiteral("missing-folder/m.md"));
    LogCapture log;
    EXPECT_EQ(notes.saveNotes(QStringLiteral("text"), record), std::nullopt);
    EXPECT_TRUE(log.contains(category, QStringLiteral("Failed to save notes: ")));
}

} // namespace

namespace {

TEST_F(MeetingNotesManagerTest, NotesAreCreatedOwnerOnlyAndKeepAModeTheOwnerChose) {
    const MeetingRecord record = withTranscript(QStringLiteral("m.md"));
    const mode_t previousUmask = ::umask(022);
    const std::optional<QString> saved = notes.saveNotes(QStringLiteral("first"), record);
    ::umask(previousUmask);
    ASSERT_TRUE(saved);
    const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    const auto userBits = QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;
    EXPECT_EQ(QFile::permissions(*saved) & ~userBits, ownerOnly);

    const auto shared = ownerOnly | QFileDevice::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(*saved, shared));
    ASSERT_TRUE(notes.saveNotes(QStringLiteral("second"), record));
    EXPECT_EQ(read(*saved), "second");
    EXPECT_EQ(QFile::permissions(*saved) & ~userBits, shared);
}

} // namespace
