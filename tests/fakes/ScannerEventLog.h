#pragma once

#include "sources/BrowserCaptionScanner.h"

#include <QStringList>

namespace velmora {

// What a browser scanner reported, as "+source@pid" and "-source".
struct ScannerEventLog {
    QStringList events;

    void attach(BrowserCaptionScanner& scanner) {
        scanner.onSourceAppeared = [this](CaptionSource source, qint32 pid) {
            events.append(QStringLiteral("+%1@%2").arg(CaptionSources::rawValue(source)).arg(pid));
        };
        scanner.onSourceDisappeared = [this](CaptionSource source) {
            events.append(QStringLiteral("-%1").arg(CaptionSources::rawValue(source)));
        };
    }
};

} // namespace velmora
