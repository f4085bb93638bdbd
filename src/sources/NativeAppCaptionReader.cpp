#include "sources/NativeAppCaptionReader.h"

#include "capture/VelmoraError.h"
#include "sources/AXHelpers.h"

namespace velmora {

NativeAppCaptionReader::NativeAppCaptionReader(const ReaderEnvironment& environment,
                                               PIDCache& pidCache, Duration pollInterval,
                                               const QLoggingCategory& log, CaptionSource source,
                                               QString appName, QStringList bundleIDs,
                                               QString containerDescription)
    : CaptionPollingReader(environment, pollInterval, log), pidCache_(pidCache),
      pollInterval_(pollInterval), source_(source), appName_(std::move(appName)),
      bundleIDs_(std::move(bundleIDs)), containerDescription_(std::move(containerDescription)),
      speakers_(log) {}

AXElement NativeAppCaptionReader::createAppElement() {
    qCInfo(log_, "AX trusted, looking for %s...", qUtf8Printable(appName_));
    const std::optional<qint32> pid = pidCache_.lookup(bundleIDs_);
    if (!pid) {
        const QString identifiers =
            bundleIDs_.size() == 1
                ? QStringLiteral("bundle: ") + bundleIDs_.first()
                : QStringLiteral("bundles: [\"%1\"]").arg(bundleIDs_.join(QStringLiteral("\", \"")));
        qCCritical(log_, "%s not running (%s)", qUtf8Printable(appName_), qUtf8Printable(identifiers));
        throw VelmoraError::captionSourceNotFound(source_);
    }
    qCInfo(log_, "Found %s (PID: %d), starting poll at %fs", qUtf8Printable(appName_), *pid,
           double(pollInterval_.count()) / 1000.0);
    return env_.accessibility.applicationElement(*pid);
}

bool NativeAppCaptionReader::isCacheValid(const AXElement& container) const {
    return AXHelpers::description(env_.accessibility, container) == containerDescription_;
}

CaptionSnapshot NativeAppCaptionReader::applyReaderState(const CaptionSnapshot& entries) {
    speakers_.note(entries);
    return entries;
}

} // namespace velmora
