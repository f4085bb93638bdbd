#include "capture/VelmoraError.h"

namespace velmora {

VelmoraError::VelmoraError(Kind kind, CaptionSource source) : kind_(kind), source_(source) {
    utf8_ = message().toUtf8();
}

VelmoraError VelmoraError::captionSourceNotFound(CaptionSource source) {
    return VelmoraError(Kind::captionSourceNotFound, source);
}

VelmoraError VelmoraError::accessibilityNotTrusted() {
    return VelmoraError(Kind::accessibilityNotTrusted, CaptionSource::teams);
}

VelmoraError VelmoraError::sessionAlreadyRunning() {
    return VelmoraError(Kind::sessionAlreadyRunning, CaptionSource::teams);
}

QString VelmoraError::message() const {
    switch (kind_) {
    case Kind::captionSourceNotFound:
        switch (source_) {
        case CaptionSource::teams:
            return QStringLiteral("Microsoft Teams is not running. Open Teams and start a call.");
        case CaptionSource::zoom:
            return QStringLiteral("Zoom is not running. Open Zoom and start a meeting.");
        case CaptionSource::browserZoom:
            return QStringLiteral("No browser with Zoom captions found.");
        case CaptionSource::browserMeet:
            return QStringLiteral("No browser with Google Meet captions found.");
        case CaptionSource::browserTeams:
            return QStringLiteral("No browser with Microsoft Teams captions found.");
        }
        break;
    case Kind::accessibilityNotTrusted:
        return QStringLiteral("Accessibility permission required. Turn on assistive technologies "
                              "in your desktop's accessibility settings.");
    case Kind::sessionAlreadyRunning:
        return QStringLiteral("A capture session is already running.");
    }
    Q_UNREACHABLE();
}

} // namespace velmora
