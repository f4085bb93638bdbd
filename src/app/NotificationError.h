#pragma once

#include <QString>

#include <stdexcept>

namespace velmora {

// A notification centre could not answer or deliver; logged, never shown.
class NotificationError : public std::runtime_error {
public:
    explicit NotificationError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

} // namespace velmora
