#pragma once

#include "sources/AXValue.h"

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

    // A dead process shows only as failing reads.
    virtual AXElement applicationElement(qint32 processIdentifier) = 0;
    virtual AXReadResult copyAttributeValue(const AXElement& element, const QString& attribute) = 0;
    // Returns the error code, 0 on success.
    virtual int setAttributeValue(const AXElement& element, const QString& attribute,
                                  bool value) = 0;

    // In the system's order.
    virtual QList<RunningApplication> runningApplications() = 0;
};

} // namespace velmora
