#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace velmora {

// How to switch captions on in one meeting application, as the setup guide lists it.
struct CaptionTip {
    QString appName;
    QStringList steps;

    static QList<CaptionTip> all();
};

} // namespace velmora
