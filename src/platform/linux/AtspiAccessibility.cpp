#include "platform/linux/AtspiAccessibility.h"

#include "platform/linux/A11yStatus.h"
#include "platform/linux/AtspiTree.h"
#include "platform/linux/AtspiWebSearch.h"
#include "platform/linux/Logging.h"
#include "sources/AXHelpers.h"
#include "sources/AXNames.h"

#include <QAbstractEventDispatcher>

namespace velmora {

AtspiAccessibility::AtspiAccessibility()
    : tree_(std::make_shared<AtspiTree>()), search_(std::make_unique<AtspiWebSearch>(*tree_)) {
    // Qt's GLib dispatcher would iterate the default main context from the main thread behind
    // libatspi's back.
    if (auto* dispatcher = QAbstractEventDispatcher::instance();
        dispatcher && QByteArray(dispatcher->metaObject()->className()).contains("Glib"))
        qCWarning(lcAtspi, "Qt runs on GLib's main loop (set QT_NO_GLIB=1): AT-SPI events may be lost");
}

AtspiAccessibility::~AtspiAccessibility() {
    // The search remembers objects; let them go where they were taken.
    tree_->thread().callBlocking([this] { search_.reset(); });
}

SerialExecutor& AtspiAccessibility::queue() { return tree_->thread(); }

// Session-bus calls, but they wait like the others: on the accessibility thread too.
bool AtspiAccessibility::isProcessTrusted() {
    return tree_->thread().call([] { return A11yStatus::isEnabled(); });
}

void AtspiAccessibility::requestTrust() {
    tree_->thread().call([] { A11yStatus::setEnabled(true); });
}

bool AtspiAccessibility::isConnectionLost() {
    return tree_->thread().call([this] { return tree_->connectionLost(); });
}

AXElement AtspiAccessibility::applicationElement(qint32 processIdentifier) {
    return tree_->thread().call([&] { return tree_->application(processIdentifier); });
}

AXReadResult AtspiAccessibility::copyAttributeValue(const AXElement& element,
                                                    const QString& attribute) {
    return tree_->thread().call([&] { return tree_->read(element, attribute); });
}

int AtspiAccessibility::setAttributeValue(const AXElement& element, const QString& attribute,
                                          bool value) {
    // Both of Chromium's switches mean the same here: ask it for its web tree.
    if (!value || (attribute != AXAttribute::enhancedUserInterface &&
                   attribute != AXAttribute::manualAccessibility))
        return AXErrorCode::attributeUnsupported;
    return tree_->thread().call([&] { return tree_->nudge(element); });
}

QList<RunningApplication> AtspiAccessibility::runningApplications() {
    return tree_->thread().call([&] { return tree_->applications(); });
}

QHash<BrowserCaptionTarget, AXElement>
AtspiAccessibility::findWebTargets(const AXElement& application,
                                   const QList<BrowserCaptionTarget>& targets, int maxDepth) {
    return tree_->thread().call([&] {
        if (tree_->start()) {
            if (AtspiAccessible* object = tree_->resolve(application)) {
                if (auto found = search_->find(object, targets, maxDepth))
                    return *found;
            }
        }
        // Not a browser that answers Collection queries: walk.
        return AXHelpers::findWebTargets(*this, application, targets, 0, maxDepth);
    });
}

bool AtspiAccessibility::exposesWebContent(const AXElement& application) {
    return tree_->thread().call([&] {
        if (!tree_->start())
            return false;
        AtspiAccessible* object = tree_->resolve(application);
        return object && tree_->exposesWebContent(object);
    });
}

void AtspiAccessibility::perform(const std::function<void()>& work) { tree_->thread().call(work); }

int AtspiAccessibility::retainedObjectCount(const AXElement& application) {
    return tree_->thread().call([&] {
        AtspiAccessible* object = tree_->start() ? tree_->resolve(application) : nullptr;
        const AtspiApplication* owner = object ? ATSPI_OBJECT(object)->app : nullptr;
        return owner && owner->hash ? int(g_hash_table_size(owner->hash)) : 0;
    });
}

QStringList AtspiAccessibility::webDocumentTitles(const AXElement& application) {
    return tree_->thread().call([&] {
        QStringList titles;
        AtspiAccessible* object = tree_->start() ? tree_->resolve(application) : nullptr;
        if (!object)
            return titles;
        const auto documents = tree_->matchingDescendants(object, {ATSPI_ROLE_DOCUMENT_WEB});
        for (const auto& document : documents.value_or(QList<GObjectRef<AtspiAccessible>>{}))
            titles.append(tree_->name(document.get()).value_or(QString()));
        return titles;
    });
}

} // namespace velmora
