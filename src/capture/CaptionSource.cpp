#include "capture/CaptionSource.h"

namespace velmora::CaptionSources {

QList<CaptionSource> all() {
    return {CaptionSource::teams, CaptionSource::zoom, CaptionSource::browserZoom,
            CaptionSource::browserMeet, CaptionSource::browserTeams};
}

QString rawValue(CaptionSource source) {
    switch (source) {
    case CaptionSource::teams: return QStringLiteral("teams");
    case CaptionSource::zoom: return QStringLiteral("zoom");
    case CaptionSource::browserZoom: return QStringLiteral("browserZoom");
    case CaptionSource::browserMeet: return QStringLiteral("browserMeet");
    case CaptionSource::browserTeams: return QStringLiteral("browserTeams");
    }
    Q_UNREACHABLE();
}

std::optional<CaptionSource> fromRawValue(const QString& raw) {
    for (CaptionSource source : all()) {
        if (rawValue(source) == raw)
            return source;
    }
    return std::nullopt;
}

QString displayName(CaptionSource source) {
    switch (source) {
    case CaptionSource::teams:
    case CaptionSource::browserTeams: return QStringLiteral("Microsoft Teams");
    case CaptionSource::zoom:
    case CaptionSource::browserZoom: return QStringLiteral("Zoom");
    case CaptionSource::browserMeet: return QStringLiteral("Google Meet");
    }
    Q_UNREACHABLE();
}

QString meetingTitle(CaptionSource source) {
    switch (source) {
    case CaptionSource::teams:
    case CaptionSource::browserTeams: return QStringLiteral("Teams");
    case CaptionSource::zoom:
    case CaptionSource::browserZoom: return QStringLiteral("Zoom");
    case CaptionSource::browserMeet: return QStringLiteral("Google Meet");
    }
    Q_UNREACHABLE();
}

bool needsBrowserProcessId(CaptionSource source) {
    return source == CaptionSource::browserZoom || source == CaptionSource::browserMeet ||
           source == CaptionSource::browserTeams;
}

} // namespace velmora::CaptionSources
