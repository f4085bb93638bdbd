#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

namespace velmora {

// org.freedesktop.FileManager1 for tests: records every ShowItems call.
class FakeFileManager final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    bool serve(QDBusConnection bus) {
        return bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), this,
                                  QDBusConnection::ExportAllSlots) &&
               bus.registerService(QStringLiteral("org.freedesktop.FileManager1"));
    }

    QList<QStringList> shown;

public slots:
    void ShowItems(const QStringList& uris, const QString&) {
        shown.append(uris);
        emit showItemsCalled();
    }
    // Answered after every call sent before it on the same connection.
    void Ping() {}

signals:
    void showItemsCalled();
};

} // namespace velmora
