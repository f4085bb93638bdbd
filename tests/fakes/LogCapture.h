#pragma once

#include <QList>
#include <QMutex>
#include <QString>
#include <QtGlobal>

namespace velmora {

// Collects log messages while it lives (from any thread), so tests can check what was logged.
class LogCapture {
public:
    struct Message {
        QString category;
        QtMsgType type;
        QString text;
    };

    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QList<Message> messages() const;
    // Messages of `category` ("velmora.history") that contain `fragment`.
    qsizetype count(const QString& category, const QString& fragment) const;
    bool contains(const QString& category, const QString& fragment) const {
        return count(category, fragment) > 0;
    }

private:
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& text);

    mutable QMutex mutex_;
    QList<Message> messages_;
    QtMessageHandler previous_;
};

} // namespace velmora
