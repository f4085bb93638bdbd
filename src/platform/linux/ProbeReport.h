#pragma once

#include "capture/CaptionSource.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace velmora {

// What `velmora probe` found: per running browser, whether it shows its web content over
// AT-SPI, which caption sources the scanner sees there and the lines their readers read.
struct ProbeReport {
    struct Line {
        QString speaker;
        QString text;
    };
    struct Source {
        CaptionSource source;
        QList<Line> lines;
        bool areaFound = false; // the reader found its caption area
        // When the area was found but no line was read: its shape two levels down (roles and
        // names, no text), so a changed client can be reported.
        QString shape;
    };
    struct Browser {
        qint32 pid = 0;
        QString identifier;
        bool registered = false; // talks to the accessibility bus
        bool exposesWeb = false;
        QList<Source> sources;
    };

    bool accessibilityEnabled = false;
    QList<Browser> browsers;

    QByteArray toJson() const;
    // For people: says why a browser shows nothing and what to do about it.
    QString toText() const;
};

} // namespace velmora
