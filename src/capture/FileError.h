#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace velmora {

// A file that could not be created, read or written (or whose content is unusable), with the
// file system's own description of why.
class FileError : public std::exception {
public:
    explicit FileError(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}

    QString message() const { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

} // namespace velmora
