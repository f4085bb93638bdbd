#pragma once

#include "capture/CaptionSource.h"
#include "sources/CaptionPollingReader.h"
#include "sources/PIDCache.h"
#include "sources/SpeakerFirstSeenLog.h"

#include <QStringList>

namespace velmora {

// What the readers of desktop meeting applications share: the application found through the
// process cache, a tolerance of 30 polls without captions, the call-window check, and each
// speaker logged once per capture.
class NativeAppCaptionReader : public CaptionPollingReader {
protected:
    NativeAppCaptionReader(const ReaderEnvironment& environment, PIDCache& pidCache,
                           Duration pollInterval, const QLoggingCategory& log, CaptionSource source,
                           QString appName, QStringList bundleIDs, QString containerDescription);

    AXElement createAppElement() override;
    // A cached container that shows nothing is kept only while it carries the exact marker.
    bool isCacheValid(const AXElement& container) const override;
    CaptionSnapshot applyReaderState(const CaptionSnapshot& entries) override;
    qint64 containerGoneThreshold() const override { return 30; }
    bool checksCallWindows() const override { return true; }
    void resetReaderState() override { speakers_.clear(); }

private:
    PIDCache& pidCache_;
    const Duration pollInterval_;
    const CaptionSource source_;
    const QString appName_;
    const QStringList bundleIDs_;
    const QString containerDescription_;
    SpeakerFirstSeenLog speakers_;
};

} // namespace velmora
