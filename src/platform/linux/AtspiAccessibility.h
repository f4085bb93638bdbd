#pragma once

#include "sources/Accessibility.h"

#include <functional>
#include <memory>

namespace velmora {

class AtspiTree;
class AtspiWebSearch;
class SerialExecutor;

// The accessibility interface on Linux: AT-SPI through libatspi. Every AT-SPI call runs on the
// backend's own accessibility thread; calls from other threads wait for it, calls on it run
// directly. queue() is that thread, for the readers' and scanner's polls.
class AtspiAccessibility final : public Accessibility {
public:
    AtspiAccessibility();
    ~AtspiAccessibility() override;

    SerialExecutor& queue();

    bool isProcessTrusted() override;
    void requestTrust() override;
    bool isConnectionLost() override;
    AXElement applicationElement(qint32 processIdentifier) override;
    AXReadResult copyAttributeValue(const AXElement& element, const QString& attribute) override;
    int setAttributeValue(const AXElement& element, const QString& attribute, bool value) override;
    QList<RunningApplication> runningApplications() override;
    QHash<BrowserCaptionTarget, AXElement>
    findWebTargets(const AXElement& application, const QList<BrowserCaptionTarget>& targets,
                   int maxDepth) override;

    // Whether the application shows any web document (a browser whose bridge is loaded and
    // whose web tree is built).
    bool exposesWebContent(const AXElement& application);
    // Runs `work` on the accessibility thread and waits: its queries form one job (each node
    // read once, a consistent view of the tree).
    void perform(const std::function<void()>& work);
    // How many of the application's objects libatspi keeps (it keeps removed ones until swept).
    int retainedObjectCount(const AXElement& application);
    // The titles of the web documents the application shows (one per window's active tab, and
    // frames).
    QStringList webDocumentTitles(const AXElement& application);

private:
    std::shared_ptr<AtspiTree> tree_;
    std::unique_ptr<AtspiWebSearch> search_; // used on the accessibility thread only
};

} // namespace velmora
