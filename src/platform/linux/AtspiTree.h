#pragma once

#include "platform/linux/AccessibilityThread.h"
#include "platform/linux/AtspiNode.h"
#include "platform/linux/GObjectRef.h"
#include "sources/Accessibility.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <atspi/atspi.h>

#include <functional>
#include <memory>
#include <optional>

namespace velmora {

// The AT-SPI side of the backend, confined to its accessibility thread: elements for AT-SPI
// objects, attribute reads in the AX vocabulary, the registered applications. Every method but
// thread() must run on that thread.
//
// Reads always ask the application (libatspi's own cache stays off, so a removed node never
// answers from memory); within one job each answer is kept, so a poll sees one consistent tree
// and pays each round trip once.
class AtspiTree final : public std::enable_shared_from_this<AtspiTree> {
public:
    AtspiTree();
    ~AtspiTree();
    AtspiTree(const AtspiTree&) = delete;
    AtspiTree& operator=(const AtspiTree&) = delete;

    AccessibilityThread& thread() { return thread_; }

    // False while no accessibility bus can be reached (nothing then answers), and for good once
    // the bus it connected to went away: libatspi cannot connect a second time in one process.
    bool start();
    // Whether the bus this process connected to is gone (logged once when noticed).
    bool connectionLost();

    AXElement element(AtspiAccessible* object);
    AXElement application(qint32 processIdentifier);
    // The object an element stands for now; null for a process that is not registered.
    AtspiAccessible* resolve(const AXElement& element);
    AtspiAccessible* applicationObject(qint32 processIdentifier);

    AXReadResult read(const AXElement& element, const QString& attribute);
    // The switch-on write: makes a browser with a loaded bridge build its web tree; succeeds
    // once the application exposes web content.
    int nudge(const AXElement& element);
    QList<RunningApplication> applications();
    bool exposesWebContent(AtspiAccessible* application);

    // Reads shared with the web search (answers kept for the job).
    std::optional<AtspiRole> role(AtspiAccessible* object);
    std::optional<QString> name(AtspiAccessible* object);
    std::optional<QHash<QString, QString>> objectAttributes(AtspiAccessible* object);
    std::optional<int> childCount(AtspiAccessible* object);
    std::optional<QList<AXElement>> children(AtspiAccessible* object);
    // Every node below `root` whose role is among `roles` (all when empty), in pre-order, in one
    // call; nullopt when the application offers no such query.
    std::optional<QList<GObjectRef<AtspiAccessible>>>
    matchingDescendants(AtspiAccessible* root, const QList<AtspiRole>& roles, bool traverse = true);

    // Told of every object whose name changes (from the application's events).
    void setNameChangeHandler(std::function<void(AtspiAccessible*)> handler);

    static QString nodeIdentifier(AtspiAccessible* object);
    // The HTML class attribute as a list of class names.
    static QStringList classList(const QHash<QString, QString>& attributes);

private:
    struct JobMemo;
    void endJob();
    void release(AtspiNode* node);
    std::optional<qint32> processOf(AtspiAccessible* application);
    AXReadResult readResolved(AtspiAccessible* object, const QString& attribute);
    std::optional<QString> accessibleDescription(AtspiAccessible* object);
    static bool isQtObject(AtspiAccessible* object);
    static void onNameChanged(AtspiEvent* event, void* self);

    bool connected() const;

    bool started_ = false;
    bool lost_ = false;
    // Our own handle on the connection libatspi was started on: libatspi quietly opens a new
    // one in place of a dead one, without what makes it usable, so its own handle cannot tell.
    DBusConnection* bus_ = nullptr;
    QElapsedTimer lastStartAttempt_;
    QHash<AtspiAccessible*, std::weak_ptr<AtspiNode>> nodes_;
    QHash<qint32, std::weak_ptr<AtspiNode>> applications_;
    QHash<QString, qint32> processIdentifiers_; // by bus name, which a process keeps for life
    QHash<AtspiApplication*, guint> sweptSizes_; // libatspi's object table after the last sweep
    std::unique_ptr<JobMemo> memo_;
    std::function<void(AtspiAccessible*)> nameChanged_;
    AtspiEventListener* nameListener_ = nullptr;
    // Last: stopped (running what is queued) before the members above go away.
    AccessibilityThread thread_;
};

} // namespace velmora
