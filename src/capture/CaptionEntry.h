#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

namespace velmora {

// One caption line as read in one poll; every line of a poll carries that poll's time.
struct CaptionEntry {
    QDateTime timestamp;
    QString speaker;
    QString text;

    bool operator==(const CaptionEntry& other) const {
        return timestamp == other.timestamp && speaker == other.speaker && text == other.text;
    }
};

// All caption lines read in one poll, in screen order.
using CaptionSnapshot = QList<CaptionEntry>;

} // namespace velmora
