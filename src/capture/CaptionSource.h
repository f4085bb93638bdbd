#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace velmora {

// Stored and exchanged by its raw string (meeting history, command line).
enum class CaptionSource { teams, zoom, browserZoom, browserMeet, browserTeams };

namespace CaptionSources {

QList<CaptionSource> all(); // in declaration order
QString rawValue(CaptionSource source);
std::optional<CaptionSource> fromRawValue(const QString& raw);
// Shown as the source of a running capture.
QString displayName(CaptionSource source);
// Put into transcript file names.
QString meetingTitle(CaptionSource source);
// Browser sources are read from one browser process and need its process id.
bool needsBrowserProcessId(CaptionSource source);

} // namespace CaptionSources

} // namespace velmora
