#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace velmora {

// A notification centre could not answer or deliver; logged, never shown.
class NotificationError : public std::exception {
public:
    explicit NotificationError(QString message)
        : message_(std::move(message)), utf8_(message_.toUtf8()) {}

    QString message() const { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

} // namespace velmora
