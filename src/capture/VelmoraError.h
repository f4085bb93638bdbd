#pragma once

#include "capture/CaptionSource.h"

#include <QByteArray>
#include <QString>

#include <exception>

namespace velmora {

// The capture errors; their message is what the user sees in the capture state.
class VelmoraError : public std::exception {
public:
    enum class Kind { captionSourceNotFound, accessibilityNotTrusted, sessionAlreadyRunning };

    static VelmoraError captionSourceNotFound(CaptionSource source);
    static VelmoraError accessibilityNotTrusted();
    static VelmoraError sessionAlreadyRunning();

    Kind kind() const { return kind_; }
    CaptionSource source() const { return source_; } // meaningful for captionSourceNotFound
    QString message() const;
    const char* what() const noexcept override { return utf8_.constData(); }

    bool operator==(const VelmoraError& other) const {
        return kind_ == other.kind_ &&
               (kind_ != Kind::captionSourceNotFound || source_ == other.source_);
    }

private:
    VelmoraError(Kind kind, CaptionSource source);

    Kind kind_;
    CaptionSource source_;
    QByteArray utf8_;
};

} // namespace velmora
