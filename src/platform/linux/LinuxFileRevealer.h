#pragma once

#include "app/FileRevealer.h"

#include <QDBusConnection>
#include <QObject>

#include <functional>

namespace velmora {

// Selects a file in the desktop's file manager through org.freedesktop.FileManager1; without
// one, opens the file's folder.
class LinuxFileRevealer final : public QObject, public FileRevealer {
    Q_OBJECT
public:
    using FolderOpener = std::function<void(const QString& folder)>;
    // A file manager that does not answer within this opens the folder instead.
    static constexpr int callTimeoutMilliseconds = 3000;

    explicit LinuxFileRevealer(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                               FolderOpener openFolder = openWithDesktop, QObject* parent = nullptr);

    void revealFile(const QString& filePath) override;

    // Hands the folder to xdg-open.
    static void openWithDesktop(const QString& folder);

private:
    QDBusConnection bus_;
    FolderOpener openFolder_;
};

} // namespace velmora
