#include "app/AutostartManager.h"
#include "capture/FileError.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmora;

namespace {

QString validate(const QString& path) {
    QProcess validator;
    validator.start(QStringLiteral("desktop-file-validate"), {path});
    validator.waitForFinished();
    return QString::fromUtf8(validator.readAllStandardOutput() + validator.readAllStandardError()) +
           (validator.exitCode() == 0 ? QString() : QStringLiteral("(failed)"));
}

QString read(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

TEST(AutostartManagerTest, TheEntryStartsThisProgramQuietlyAndCanBeRemoved) {
    QTemporaryDir home;
    const QString folder = home.filePath(QStringLiteral("config/autostart"));
    AutostartManager autostart(folder, QStringLiteral("/opt/My Apps/velmora"));
    EXPECT_FALSE(autostart.isEnabled());
    autostart.setEnabled(true); // the folder is made as needed
    ASSERT_TRUE(autostart.isEnabled());
    EXPECT_EQ(autostart.entryPath(), folder + QStringLiteral("/org.velmora.Velmora.desktop"));
    EXPECT_TRUE(read(autostart.entryPath()).contains(QStringLiteral("\nExec=\"/opt/My Apps/velmora\" --autostart\n")));
    EXPECT_EQ(validate(autostart.entryPath()), QString());

    autostart.setEnabled(false);
    EXPECT_FALSE(autostart.isEnabled());
    EXPECT_FALSE(QFile::exists(autostart.entryPath()));
    autostart.setEnabled(false); // nothing to remove is no error
}

TEST(AutostartManagerTest, ReservedCharactersInThePathAreQuotedForTheDesktop) {
    QTemporaryDir home;
    AutostartManager autostart(home.path(), QStringLiteral("/home/a\"b/$HOME/velmora"));
    autostart.setEnabled(true);
    EXPECT_TRUE(read(autostart.entryPath()).contains(QStringLiteral("Exec=\"/home/a\\\\\"b/\\\\$HOME/velmora\" --autostart")));
    EXPECT_EQ(validate(autostart.entryPath()), QString());
}

TEST(AutostartManagerTest, AHiddenEntryIsOffAndAnUnwritableFolderIsAnError) {
    QTemporaryDir home;
    AutostartManager autostart(home.path(), QStringLiteral("/usr/bin/velmora"));
    autostart.setEnabled(true);
    QFile entry(autostart.entryPath());
    ASSERT_TRUE(entry.open(QIODevice::Append));
    entry.write("Hidden=true\n");
    entry.close();
    EXPECT_FALSE(autostart.isEnabled());

    QFile blocker(home.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    AutostartManager blocked(home.filePath(QStringLiteral("file/autostart")), QStringLiteral("/usr/bin/velmora"));
    EXPECT_THROW(blocked.setEnabled(true), FileError);
    EXPECT_FALSE(blocked.isEnabled());
}

} // namespace
