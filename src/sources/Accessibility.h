#pragma once

#include "sources/AXValue.h"
#include "sources/BrowserCaptionTarget.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

namespace velmora {

struct RunningApplication {
    std::optional<QString> bundleIdentifier; // on Linux the executable's name
    qint32 processIdentifier = 0;
};

// The operating system's accessibility interface, in the AX vocabulary the caption sources
// speak. Every call is synchronous, may block while the other process answers, and may be made
// from any thread (a backend that needs one thread marshals to it); callers keep them off the
// main thread by running them on the accessibility queue.
class Accessibility {
public:
    virtual ~Accessibility() = default;

    virtual bool isProcessTrusted() = 0;
    // Asks for trust (the platform's prompt or switch); the outcome is read with isProcessTrusted.
    virtual void requestTrust() = 0;
    // True once the connection to the accessibility service is gone for good: nothing can be
    // read in this process any more, a new process would connect afresh.
    virtual bool isConnectionLost() { return false; }

    // A dead process shows only as failing reads.
    virtual AXElement applicationElement(qint32 processIdentifier) = 0;
    virtual AXReadResult copyAttributeValue(const AXElement& element, const QString& attribute) = 0;
    // Returns the error code, 0 on success.
    virtual int setAttributeValue(const AXElement& element, const QString& attribute,
                                  bool value) = 0;

    // In the system's order.
    virtual QList<RunningApplication> runningApplications() = 0;

    // For each target, its first match in pre-order inside the web content of `application`
    // above `maxDepth`: the answer of AXHelpers::findWebTargets from depth 0. A backend may
    // answer it without reading every node; this default walks.
    virtual QHash<BrowserCaptionTarget, AXElement>
    findWebTargets(const AXElement& application, const QList<BrowserCaptionTarget>& targets,
                   int maxDepth);
};

} // namespace velmora
