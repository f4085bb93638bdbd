#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtMessageHandler>

namespace velmora {

// Collects the log messages of one category for as long as it lives (main-thread tests only;
// one capture at a time).
class LogCapture {
public:
    explicit LogCapture(const char* category);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QStringList messages() const { return messages_; }
    // Messages that start with `prefix`.
    QStringList matching(const QString& prefix) const;
    int count(const QString& prefix) const { return int(matching(prefix).size()); }
    void clear() { messages_.clear(); }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message);

    QString category_;
    QStringList messages_;
    QtMessageHandler previous_;
};

} // namespace velmora
