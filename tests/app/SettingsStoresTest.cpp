#include "app/AboutInfo.h"
#include "app/AppearanceMode.h"
#include "app/FormatSettingsManager.h"
#include "app/OnboardingManager.h"
#include "app/OutputDirectoryManager.h"
#include "app/ZoomManager.h"
#include "capture/TranscriptFormatter.h"
#include "fakes/LogCapture.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmora;

namespace {

class SettingsStoresTest : public ::testing::Test {
protected:
    QTemporaryDir temp;
    QString configPath = temp.filePath(QStringLiteral("velmora.conf"));
    QSettings settings{configPath, QSettings::IniFormat};

    QString storedFileText() {
        settings.sync();
        QFile file(configPath);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QString::fromUtf8(file.readAll());
    }
};

TEST_F(SettingsStoresTest, OutputDirectoryDefaultsToVelmoraInTheDocumentsFolder) {
    OutputDirectoryManager manager(settings);
    const QString expected =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QStringLiteral("/Velmora");
    EXPECT_EQ(manager.outputDirectory(), expected);
    EXPECT_EQ(manager.customDirectory(), std::nullopt);
}

TEST_F(SettingsStoresTest, NotYetExistingFolderUnderAWritableOneIsUsedAsStored) {
    OutputDirectoryManager manager(settings, temp.filePath(QStringLiteral("default")));
    const QString wanted = temp.filePath(QStringLiteral("a/b/Meetings"));
    LogCapture log;
    manager.setCustomDirectory(wanted);

    EXPECT_EQ(manager.outputDirectory(), wanted);
    EXPECT_FALSE(QFileInfo::exists(wanted)); // created on first use, not by reading
    EXPECT_TRUE(log.contains(QStringLiteral("velmora.output-dir"),
                             QStringLiteral("Output directory set to: ") + wanted));
    EXPECT_FALSE(log.contains(QStringLiteral("velmora.output-dir"), QStringLiteral("not writable")));
}

TEST_F(SettingsStoresTest, UnusableCustomFolderFallsBackOnEveryReadAndStaysStored) {
    const QString fallback = temp.filePath(QStringLiteral("default"));
    OutputDirectoryManager manager(settings, fallback);
    QFile plainFile(temp.filePath(QStringLiteral("notes.txt")));
    ASSERT_TRUE(plainFile.open(QIODevice::WriteOnly));
    plainFile.close();

    const QStringList unusable = {
        QStringLiteral("/velmora-test-no-such-root-folder/Meetings"), // only the root exists
        plainFile.fileName(),                                         // a file, not a folder
        plainFile.fileName() + QStringLiteral("/Meetings"),           // below a file
        QStringLiteral("Meetings"),                                   // relative
    };
    for (const QString& path : unusable) {
        SCOPED_TRACE(path.toStdString());
        manager.setCustomDirectory(path);
        LogCapture log;
        EXPECT_EQ(manager.outputDirectory(), fallback);
        EXPECT_EQ(manager.outputDirectory(), fallback);
        EXPECT_EQ(log.count(QStringLiteral("velmora.output-dir"),
                            QStringLiteral("Custom output directory not writable: ") + path +
                                QStringLiteral(", falling back to default")),
                  2);
        EXPECT_EQ(manager.customDirectory(), path);
    }

    manager.setCustomDirectory(std::nullopt);
    EXPECT_EQ(manager.customDirectory(), std::nullopt);
    EXPECT_FALSE(settings.contains(QStringLiteral("outputDirectory")));
}

TEST_F(SettingsStoresTest, PreferenceKeysAreWrittenUnderTheirExactNames) {
    OutputDirectoryManager(settings).setCustomDirectory(temp.path());
    ZoomManager(settings).setZoomLevel(ZoomLevel::extraLarge);
    AppearanceModes::store(settings, AppearanceMode::dark);
    FormatSettingsManager(settings).setTranscriptFormat(TranscriptFormat::plainText);
    OnboardingManager(settings).markOnboardingCompleted();

    const QString text = storedFileText();
    EXPECT_TRUE(text.contains(QStringLiteral("outputDirectory=") + temp.path()));
    EXPECT_TRUE(text.contains(QStringLiteral("zoomLevel=extraLarge")));
    EXPECT_TRUE(text.contains(QStringLiteral("appearanceMode=dark")));
    EXPECT_TRUE(text.contains(QStringLiteral("transcriptFormat=plainText")));
    EXPECT_TRUE(text.contains(QStringLiteral("hasCompletedOnboarding=true")));

    QSettings reread(configPath, QSettings::IniFormat);
    EXPECT_TRUE(OnboardingManager(reread).hasCompletedOnboarding());
    EXPECT_EQ(ZoomManager(reread).storedZoomLevel(), QStringLiteral("extraLarge"));
    EXPECT_EQ(AppearanceModes::stored(reread), AppearanceMode::dark);
}

TEST_F(SettingsStoresTest, OnlyTheExactPlainTextValueSelectsPlainText) {
    FormatSettingsManager formats(settings);
    const auto extension = [&] { return formats.formatter()->fileExtension(); };
    EXPECT_EQ(extension(), QStringLiteral("md"));
    settings.setValue(QStringLiteral("transcriptFormat"), QStringLiteral("plainText"));
    EXPECT_EQ(extension(), QStringLiteral("txt"));
    settings.setValue(QStringLiteral("transcriptFormat"), QStringLiteral("PlainText"));
    EXPECT_EQ(extension(), QStringLiteral("md"));
    EXPECT_EQ(formats.transcriptFormat(), TranscriptFormat::markdown);
    EXPECT_EQ(settings.value(QStringLiteral("transcriptFormat")).toString(), QStringLiteral("PlainText"));
}

TEST_F(SettingsStoresTest, UnknownStoredValuesFallBackWithoutBeingRewritten) {
    EXPECT_FALSE(OnboardingManager(settings).hasCompletedOnboarding());
    EXPECT_EQ(AppearanceModes::stored(settings), AppearanceMode::system);
    settings.setValue(QStringLiteral("appearanceMode"), QStringLiteral("Dark"));
    EXPECT_EQ(AppearanceModes::stored(settings), AppearanceMode::system);
    EXPECT_EQ(settings.value(QStringLiteral("appearanceMode")).toString(), QStringLiteral("Dark"));
    settings.setValue(QStringLiteral("appearanceMode"), QStringLiteral("light"));
    EXPECT_EQ(AppearanceModes::stored(settings), AppearanceMode::light);
}

TEST(ZoomLevelTest, StepsInTableOrderAndStopsAtTheEnds) {
    EXPECT_EQ(ZoomLevels::zoomedIn(ZoomLevel::small), ZoomLevel::default_);
    EXPECT_EQ(ZoomLevels::zoomedIn(ZoomLevel::large), ZoomLevel::extraLarge);
    EXPECT_EQ(ZoomLevels::zoomedIn(ZoomLevel::extraLarge), ZoomLevel::extraLarge);
    EXPECT_EQ(ZoomLevels::zoomedOut(ZoomLevel::default_), ZoomLevel::small);
    EXPECT_EQ(ZoomLevels::zoomedOut(ZoomLevel::small), ZoomLevel::small);
    EXPECT_EQ(ZoomLevels::rawValue(ZoomLevel::default_), QStringLiteral("default"));
    EXPECT_EQ(ZoomLevels::fromRawValue(QStringLiteral("Default")), std::nullopt);
}

TEST(AboutInfoTest, VersionString) {
    EXPECT_EQ(AboutInfo::versionString(QStringLiteral("1.2"), QStringLiteral("45")),
              QStringLiteral("Version 1.2 (45)"));
    EXPECT_EQ(AboutInfo::versionString(QStringLiteral("1.2"), std::nullopt), QStringLiteral("Version 1.2"));
    EXPECT_EQ(AboutInfo::versionString(std::nullopt, QStringLiteral("45")), QStringLiteral("Version unknown"));
}

} // namespace
