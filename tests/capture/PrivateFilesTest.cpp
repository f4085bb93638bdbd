#include "capture/FileError.h"
#include "capture/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace velmora;

namespace {

mode_t modeOf(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

class PrivateFilesTest : public ::testing::Test {
protected:
    QTemporaryDir root;
    mode_t previousUmask = ::umask(022); // the usual, permissive one
    void TearDown() override { ::umask(previousUmask); }
    QString at(const char* name) const { return root.filePath(QString::fromUtf8(name)); }
};

TEST_F(PrivateFilesTest, CreatesMissingFoldersOwnerOnlyAndLeavesExistingOnes) {
    ASSERT_TRUE(QDir().mkdir(at("shared")));
    ::chmod(QFile::encodeName(at("shared")).constData(), 0755);

    PrivateFiles::createDirectory(at("shared/a/b"));
    EXPECT_EQ(modeOf(at("shared")), 0755u);
    EXPECT_EQ(modeOf(at("shared/a")), 0700u);
    EXPECT_EQ(modeOf(at("shared/a/b")), 0700u);
    PrivateFiles::createDirectory(at("shared/a/b")); // there already: nothing to do
    // A relative path is taken from the working directory, as the shell gave it.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(at("shared"));
    PrivateFiles::createDirectory(QStringLiteral("c/../d"));
    QDir::setCurrent(previous);
    EXPECT_EQ(modeOf(at("shared/d")), 0700u);
    EXPECT_FALSE(QFileInfo::exists(at("shared/c")));
}

TEST_F(PrivateFilesTest, AFileInTheWayOrAFolderWithoutWriteAccessIsNamed) {
    QFile file(at("file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const auto failure = [](const QString& path) {
        try {
            PrivateFiles::createDirectory(path);
        } catch (const FileError& error) {
            return error.message();
        }
        return QStringLiteral("<created>");
    };
    EXPECT_EQ(failure(at("file")), at("file") + " exists and is not a folder");
    EXPECT_EQ(failure(at("file/below")), at("file") + " exists and is not a folder");

    ASSERT_TRUE(QDir().mkdir(at("locked")));
    ::chmod(QFile::encodeName(at("locked")).constData(), 0500);
    if (::geteuid() != 0) { // root writes anywhere
        EXPECT_EQ(failure(at("locked/x/y")), "cannot create the folder " + at("locked/x") + ": Permission denied");
    }
    ::chmod(QFile::encodeName(at("locked")).constData(), 0700);
}

TEST_F(PrivateFilesTest, AtomicWritesMakeNewFilesOwnerOnlyAndKeepTheModeOfExistingOnes) {
    PrivateFiles::write(at("new.json"), "[1]");
    EXPECT_EQ(read(at("new.json")), "[1]");
    EXPECT_EQ(modeOf(at("new.json")), 0600u);

    ::chmod(QFile::encodeName(at("new.json")).constData(), 0640);
    PrivateFiles::write(at("new.json"), "[2]");
    EXPECT_EQ(read(at("new.json")), "[2]");
    EXPECT_EQ(modeOf(at("new.json")), 0640u);

    EXPECT_THROW(PrivateFiles::write(at("missing/x.json"), "[3]"), FileError);
}

} // namespace
