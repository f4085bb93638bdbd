#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace velmora {

// A request the language model did not answer with a summary.
class LanguageModelError : public std::exception {
public:
    enum class Kind {
        generation, // the model refused this prompt (too long for its context): a shorter one may pass
        unavailable, // no server, or its model is still loading
        cancelled, // the caller gave up waiting
        other, // timeouts, server faults, answers that are not the asked-for JSON
    };

    LanguageModelError(Kind kind, QString message)
        : kind_(kind), message_(std::move(message)), utf8_(message_.toUtf8()) {}

    Kind kind() const { return kind_; }
    QString message() const { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    Kind kind_;
    QString message_;
    QByteArray utf8_;
};

} // namespace velmora
