#include "ui/SourceIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace velmora::SourceIcon {

namespace {

struct Mark {
    QColor colour;
    QChar letter;
};

Mark markOf(CaptionSource source) {
    switch (source) {
    case CaptionSource::zoom:
    case CaptionSource::browserZoom: return {QColor(0x2d, 0x8c, 0xff), QLatin1Char('Z')};
    case CaptionSource::browserMeet: return {QColor(0x00, 0x89, 0x7b), QLatin1Char('M')};
    case CaptionSource::teams:
    case CaptionSource::browserTeams: break;
    }
    return {QColor(0x50, 0x59, 0xc9), QLatin1Char('T')};
}

} // namespace

void paint(QPainter& painter, const QRect& rect, CaptionSource source) {
    const Mark mark = markOf(source);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath square;
    const qreal radius = rect.width() * 0.25;
    square.addRoundedRect(QRectF(rect), radius, radius);
    painter.fillPath(square, mark.colour);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(qMax(6, rect.height() * 6 / 10));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(rect, Qt::AlignCenter, QString(mark.letter));
    painter.restore();
}

QString applicationName(CaptionSource source) {
    switch (source) {
    case CaptionSource::zoom:
    case CaptionSource::browserZoom: return QStringLiteral("Zoom");
    case CaptionSource::browserMeet: return QStringLiteral("Google Meet");
    case CaptionSource::teams:
    case CaptionSource::browserTeams: break;
    }
    return QStringLiteral("Teams");
}

} // namespace velmora::SourceIcon
