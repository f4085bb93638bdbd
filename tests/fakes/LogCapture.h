#pragma once

#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace velmora {

// Collects log messages while it lives (from any thread), so tests can check what was logged.
// Constructed with a category, it keeps only that category's messages.
class LogCapture {
public:
    struct Message {
        QString category;
        QtMsgType type;
        QString text;
    };

    LogCapture();
    explicit LogCapture(const char* category);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QList<Message> messages() const;
    // Messages of `category` ("velmora.history") that contain `fragment`.
    qsizetype count(const QString& category, const QString& fragment) const;
    bool contains(const QString& category, const QString& fragment) const {
        return count(category, fragment) > 0;
    }
    // Texts of the captured messages that start with `prefix`, in order.
    QStringList matching(const QString& prefix) const;
    int count(const QString& prefix) const { return int(matching(prefix).size()); }
    void clear();

private:
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& text);

    QString category_; // empty: every category
    mutable QMutex mutex_;
    QList<Message> messages_;
    QtMessageHandler previous_;
};

} // namespace velmora
