#pragma once

#include "capture/CaptionSource.h"

#include <QRect>

class QPainter;

namespace velmora {

// The meeting application's mark: a small rounded square in its colour with its initial, drawn
// so it never depends on an icon theme.
namespace SourceIcon {
void paint(QPainter& painter, const QRect& rect, CaptionSource source);
// "Zoom", "Google Meet" or "Teams".
QString applicationName(CaptionSource source);
} // namespace SourceIcon

} // namespace velmora
