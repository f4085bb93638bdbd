#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSize>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ProcessRun {
    int status = -1;
    QString output;
};

ProcessRun run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}

// Width and height from a PNG's header.
QSize pngSize(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray header = file.read(24);
    if (!header.startsWith("\x89PNG\r\n\x1a\n"))
        return {};
    const auto word = [&](int at) {
        return (uchar(header[at]) << 24) | (uchar(header[at + 1]) << 16) | (uchar(header[at + 2]) << 8) |
               uchar(header[at + 3]);
    };
    return QSize(word(16), word(20));
}

// What `cmake --install` puts on a system, checked with the desktop's own validators.
TEST(DesktopIntegrationTest, InstalledFilesAreValidForTheDesktopAndAppStream) {
    QTemporaryDir prefix;
    const ProcessRun install = run(QStringLiteral("cmake"), {QStringLiteral("--install"), QStringLiteral(VELMORA_BUILD_DIR),
                                                      QStringLiteral("--prefix"), prefix.path()});
    ASSERT_EQ(install.status, 0) << install.output.toStdString();
    const QDir share(prefix.filePath(QStringLiteral("share")));
    const QString id = QStringLiteral("org.velmora.Velmora");
    EXPECT_TRUE(QFileInfo(prefix.filePath(QStringLiteral("bin/velmora"))).isExecutable());
    EXPECT_TRUE(QFile::exists(share.filePath(QStringLiteral("icons/hicolor/scalable/apps/%1.svg").arg(id))));
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        EXPECT_EQ(pngSize(share.filePath(QStringLiteral("icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(id))),
                  QSize(size, size));
    }

    const ProcessRun desktop = run(QStringLiteral("desktop-file-validate"),
                            {share.filePath(QStringLiteral("applications/%1.desktop").arg(id))});
    EXPECT_EQ(desktop.status, 0) << desktop.output.toStdString();
    EXPECT_FALSE(desktop.output.contains(QStringLiteral("error"))) << desktop.output.toStdString();

    const ProcessRun metainfo = run(QStringLiteral("appstreamcli"),
                             {QStringLiteral("validate"), QStringLiteral("--no-net"),
                              share.filePath(QStringLiteral("metainfo/%1.metainfo.xml").arg(id))});
    EXPECT_EQ(metainfo.status, 0) << metainfo.output.toStdString();
}

} // namespace
