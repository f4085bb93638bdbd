#include "platform/linux/AtspiTree.h"

#include "platform/linux/AtspiRoles.h"
#include "platform/linux/Logging.h"
#include "sources/AXNames.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace velmora {

namespace {

constexpr qint64 startRetryMilliseconds = 2000;
const QChar objectReplacement(0xFFFC);

// A failed AT-SPI call: the node is gone (DEFUNCT) or its application does not answer.
bool failed(GError*& error) {
    if (!error)
        return false;
    qCDebug(lcAtspi, "AT-SPI call failed: %s", error->message);
    g_clear_error(&error);
    return true;
}

QString takeString(gchar* text) {
    QString result = QString::fromUtf8(text ? text : "");
    g_free(text);
    return result;
}

// The text a call handed over, or nothing when it failed.
std::optional<QString> takeResult(gchar* text, GError*& error) {
    if (failed(error)) {
        g_free(text);
        return std::nullopt;
    }
    return takeString(text);
}

// libatspi refuses to start (and aborts the process) without an accessibility bus, so ask
// for one first: an explicit address, or the session bus's launcher (which D-Bus starts on
// demand).
bool accessibilityBusReachable() {
    if (qEnvironmentVariableIsSet("AT_SPI_BUS_ADDRESS"))
        return true;
    QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected())
        return false;
    const QDBusMessage reply = session.call(QDBusMessage::createMethodCall(
        QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
        QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress")));
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           !reply.arguments().constFirst().toString().isEmpty();
}

enum class Attribute {
    children, role, value, description, title, subrole, windows, domClassList, domIdentifier,
    chromeNodeId, other
};

Attribute attributeOf(const QString& name) {
    static const QHash<QString, Attribute> table = {
        {AXAttribute::children, Attribute::children},
        {AXAttribute::role, Attribute::role},
        {AXAttribute::value, Attribute::value},
        {AXAttribute::description, Attribute::description},
        {AXAttribute::title, Attribute::title},
        {AXAttribute::subrole, Attribute::subrole},
        {AXAttribute::windows, Attribute::windows},
        {AXAttribute::domClassList, Attribute::domClassList},
        {AXAttribute::domIdentifier, Attribute::domIdentifier},
        {AXAttribute::chromeNodeId, Attribute::chromeNodeId},
    };
    return table.value(name, Attribute::other);
}

AXReadResult failure(int code = AXErrorCode::invalidElement) { return {code, {}}; }
AXReadResult success(AXValue value) { return {AXErrorCode::success, std::move(value)}; }

} // namespace

// What one job has read; dropped when the job ends.
struct AtspiTree::JobMemo {
    QHash<AtspiAccessible*, std::optional<AtspiRole>> roles;
    QHash<AtspiAccessible*, std::optional<QString>> names;
    QHash<AtspiAccessible*, std::optional<QHash<QString, QString>>> attributes;
    QHash<AtspiAccessible*, std::optional<int>> childCounts;
    QHash<AtspiAccessible*, std::optional<QList<AXElement>>> children;
    QHash<qint32, GObjectRef<AtspiAccessible>> applications;
    // Keeps every object above alive (and its address unique) for the length of the job.
    QList<GObjectRef<AtspiAccessible>> held;
};

namespace {

// libatspi keeps every object it has ever handed out in its application's table until the
// application announces the object's removal, which Chromium does not do for most of its web
// nodes: without help the table grows by every caption line a meeting shows. Objects that
// nobody but the table holds are dropped (libatspi makes a new one if the path comes back);
// the application's root stays.
void dropUnusedObjects(AtspiApplication* application) {
    QList<QByteArray> unused;
    GHashTableIter it;
    gpointer key = nullptr;
    gpointer value = nullptr;
    g_hash_table_iter_init(&it, application->hash);
    while (g_hash_table_iter_next(&it, &key, &value)) {
        if (value != application->root && G_OBJECT(value)->ref_count == 1)
            unused.append(QByteArray(static_cast<const char*>(key)));
    }
    for (const QByteArray& path : unused)
        g_hash_table_remove(application->hash, path.constData());
}

// Enough new objects to be worth a sweep of the table.
constexpr guint sweepAfterNewObjects = 1000;

} // namespace

namespace {

// The job's answer for `object`, asking `fetch` the first time.
template <typename T, typename Fetch>
std::optional<T> remember(QHash<AtspiAccessible*, std::optional<T>>& answers, AtspiAccessible* object,
                          QList<GObjectRef<AtspiAccessible>>& held, Fetch fetch) {
    auto cached = answers.constFind(object);
    if (cached != answers.constEnd())
        return *cached;
    std::optional<T> result = fetch();
    held.append(GObjectRef<AtspiAccessible>::share(object));
    answers.insert(object, result);
    return result;
}

} // namespace

AtspiTree::AtspiTree() : memo_(std::make_unique<JobMemo>()) {
    thread_.setAfterJob([this] { endJob(); });
}

AtspiTree::~AtspiTree() {
    if (bus_)
        dbus_connection_unref(bus_);
}

bool AtspiTree::start() {
    if (started_)
        return !connectionLost();
    if (lastStartAttempt_.isValid() && lastStartAttempt_.elapsed() < startRetryMilliseconds)
        return false;
    lastStartAttempt_.start();
    if (!accessibilityBusReachable()) {
        qCInfo(lcAtspi, "No accessibility bus; nothing can be read");
        return false;
    }
    atspi_init();
    // Null when the bus the launcher named does not answer: libatspi will not try again in this
    // process, so that counts as a lost connection too.
    bus_ = atspi_get_a11y_bus();
    if (bus_)
        dbus_connection_ref(bus_);
    // Chromium sends events only while someone listens; name changes keep the web search's
    // memory of names current.
    nameListener_ = atspi_event_listener_new(&AtspiTree::onNameChanged, this, nullptr);
    atspi_event_listener_register(nameListener_, "object:property-change:accessible-name", nullptr);
    started_ = true;
    return true;
}

bool AtspiTree::connected() const { return bus_ && dbus_connection_get_is_connected(bus_); }

bool AtspiTree::connectionLost() {
    if (started_ && !lost_ && !connected()) {
        lost_ = true;
        qCWarning(lcAtspi, "Lost the accessibility bus; nothing more can be read until Velmora "
                           "connects to a new one");
    }
    return lost_;
}

void AtspiTree::onNameChanged(AtspiEvent* event, void* self) {
    auto* tree = static_cast<AtspiTree*>(self);
    if (event->source && tree->nameChanged_)
        tree->nameChanged_(event->source);
    g_boxed_free(ATSPI_TYPE_EVENT, event);
}

void AtspiTree::setNameChangeHandler(std::function<void(AtspiAccessible*)> handler) {
    nameChanged_ = std::move(handler);
}

void AtspiTree::endJob() {
    QSet<AtspiApplication*> applications;
    for (const auto& object : memo_->held) {
        if (AtspiApplication* application = ATSPI_OBJECT(object.get())->app)
            applications.insert(application);
    }
    for (AtspiApplication* application : applications) {
        if (!application->hash)
            continue;
        guint& swept = sweptSizes_[application];
        if (g_hash_table_size(application->hash) > swept + sweepAfterNewObjects) {
            dropUnusedObjects(application);
            swept = g_hash_table_size(application->hash);
        }
    }
    memo_ = std::make_unique<JobMemo>();
}

void AtspiTree::release(AtspiNode* node) {
    if (node->object) {
        auto it = nodes_.find(node->object);
        if (it != nodes_.end() && it->expired())
            nodes_.erase(it);
        g_object_unref(node->object);
    } else {
        auto it = applications_.find(node->processIdentifier);
        if (it != applications_.end() && it->expired())
            applications_.erase(it);
    }
    delete node;
}

namespace {

// Nodes die on whatever thread drops the last handle; their reference goes back on the
// accessibility thread, the only one that may touch libatspi.
std::shared_ptr<AtspiNode> makeNode(std::weak_ptr<AtspiTree> weakTree, AtspiTree* tree,
                                    void (*releaseOn)(AtspiTree*, AtspiNode*)) {
    return std::shared_ptr<AtspiNode>(new AtspiNode, [weakTree, tree, releaseOn](AtspiNode* node) {
        if (AccessibilityThread::onAccessibilityThread()) {
            // The thread only runs while its tree exists.
            releaseOn(tree, node);
        } else if (auto owner = weakTree.lock()) {
            owner->thread().post([tree, node, releaseOn] { releaseOn(tree, node); });
        } else {
            delete node; // shutting down: the process is about to end
        }
    });
}

} // namespace

AXElement AtspiTree::element(AtspiAccessible* object) {
    if (!object)
        return {};
    if (auto existing = nodes_.value(object).lock())
        return AXElement(existing);
    auto node = makeNode(weak_from_this(), this,
                         [](AtspiTree* tree, AtspiNode* n) { tree->release(n); });
    node->object = static_cast<AtspiAccessible*>(g_object_ref(object));
    nodes_.insert(object, node);
    return AXElement(node);
}

AXElement AtspiTree::application(qint32 processIdentifier) {
    if (auto existing = applications_.value(processIdentifier).lock())
        return AXElement(existing);
    auto node = makeNode(weak_from_this(), this,
                         [](AtspiTree* tree, AtspiNode* n) { tree->release(n); });
    node->processIdentifier = processIdentifier;
    applications_.insert(processIdentifier, node);
    return AXElement(node);
}

std::optional<qint32> AtspiTree::processOf(AtspiAccessible* application) {
    const AtspiObject* object = ATSPI_OBJECT(application);
    const QString busName = QString::fromUtf8(object->app && object->app->bus_name ? object->app->bus_name : "");
    if (!busName.isEmpty() && processIdentifiers_.contains(busName))
        return processIdentifiers_.value(busName);
    GError* error = nullptr;
    const guint pid = atspi_accessible_get_process_id(application, &error);
    if (failed(error) || pid == 0)
        return std::nullopt;
    if (!busName.isEmpty())
        processIdentifiers_.insert(busName, qint32(pid));
    return qint32(pid);
}

AtspiAccessible* AtspiTree::applicationObject(qint32 processIdentifier) {
    if (!start())
        return nullptr;
    auto cached = memo_->applications.constFind(processIdentifier);
    if (cached != memo_->applications.constEnd())
        return cached->get();
    GObjectRef<AtspiAccessible> found;
    auto desktop = GObjectRef<AtspiAccessible>::adopt(atspi_get_desktop(0));
    GError* error = nullptr;
    const int count = desktop ? atspi_accessible_get_child_count(desktop.get(), &error) : 0;
    if (!failed(error)) {
        for (int i = 0; i < count && !found; ++i) {
            auto app = GObjectRef<AtspiAccessible>::adopt(
                atspi_accessible_get_child_at_index(desktop.get(), i, &error));
            if (failed(error) || !app)
                continue;
            if (processOf(app.get()) == processIdentifier)
                found = app;
        }
    }
    memo_->applications.insert(processIdentifier, found);
    return found.get();
}

AtspiAccessible* AtspiTree::resolve(const AXElement& element) {
    const auto* node = element.as<AtspiNode>();
    // Nothing is asked over a lost connection: libatspi would try to reconnect behind our
    // back, and fails hard when no bus answers.
    if (!node || connectionLost())
        return nullptr;
    if (node->object)
        return node->object;
    return applicationObject(node->processIdentifier);
}

std::optional<AtspiRole> AtspiTree::role(AtspiAccessible* object) {
    return remember(memo_->roles, object, memo_->held, [object]() -> std::optional<AtspiRole> {
        GError* error = nullptr;
        const AtspiRole value = atspi_accessible_get_role(object, &error);
        // Chromium answers for a node it removed, with the role "invalid": the node is gone.
        if (failed(error) || value == ATSPI_ROLE_INVALID)
            return std::nullopt;
        return value;
    });
}

std::optional<QString> AtspiTree::name(AtspiAccessible* object) {
    return remember(memo_->names, object, memo_->held, [object]() -> std::optional<QString> {
        GError* error = nullptr;
        gchar* text = atspi_accessible_get_name(object, &error);
        if (failed(error)) {
            g_free(text);
            return std::nullopt;
        }
        return takeString(text);
    });
}

std::optional<QString> AtspiTree::accessibleDescription(AtspiAccessible* object) {
    GError* error = nullptr;
    gchar* text = atspi_accessible_get_description(object, &error);
    return takeResult(text, error);
}

bool AtspiTree::isQtObject(AtspiAccessible* object) {
    // libatspi keeps the answer per application, but asks the object it is given, and only an
    // application's root object answers: ask the root.
    const AtspiObject* node = ATSPI_OBJECT(object);
    AtspiAccessible* root = node->app && node->app->root ? node->app->root : object;
    GError* error = nullptr;
    gchar* toolkit = atspi_accessible_get_toolkit_name(root, &error);
    return takeResult(toolkit, error) == QLatin1String("Qt");
}

std::optional<QHash<QString, QString>> AtspiTree::objectAttributes(AtspiAccessible* object) {
    return remember(memo_->attributes, object, memo_->held, [object]() -> std::optional<QHash<QString, QString>> {
        GError* error = nullptr;
        GHashTable* table = atspi_accessible_get_attributes(object, &error);
        std::optional<QHash<QString, QString>> result;
        if (!failed(error)) {
            QHash<QString, QString> attributes;
            if (table) {
                GHashTableIter it;
                gpointer key = nullptr;
                gpointer value = nullptr;
                g_hash_table_iter_init(&it, table);
                while (g_hash_table_iter_next(&it, &key, &value))
                    attributes.insert(QString::fromUtf8(static_cast<const char*>(key)),
                                      QString::fromUtf8(static_cast<const char*>(value)));
            }
            result = attributes;
        }
        if (table)
            g_hash_table_unref(table);
        return result;
    });
}

std::optional<int> AtspiTree::childCount(AtspiAccessible* object) {
    return remember(memo_->childCounts, object, memo_->held, [object]() -> std::optional<int> {
        GError* error = nullptr;
        const int count = atspi_accessible_get_child_count(object, &error);
        if (failed(error))
            return std::nullopt;
        return std::max(0, count);
    });
}

std::optional<QList<AXElement>> AtspiTree::children(AtspiAccessible* object) {
    return remember(memo_->children, object, memo_->held, [this, object]() -> std::optional<QList<AXElement>> {
        const auto count = childCount(object);
        if (!count)
            return std::nullopt;
        QList<AXElement> list;
        // Several children come in one Collection query rather than one call each.
        const auto listed = *count > 1 ? matchingDescendants(object, {}, false) : std::nullopt;
        if (listed) {
            for (const auto& child : *listed)
                list.append(element(child.get()));
            return list;
        }
        for (int i = 0; i < *count; ++i) {
            GError* error = nullptr;
            auto child = GObjectRef<AtspiAccessible>::adopt(atspi_accessible_get_child_at_index(object, i, &error));
            // A child that went away between the count and now is simply not there.
            if (failed(error) || !child)
                continue;
            list.append(element(child.get()));
        }
        return list;
    });
}

std::optional<QList<GObjectRef<AtspiAccessible>>>
AtspiTree::matchingDescendants(AtspiAccessible* root, const QList<AtspiRole>& roles, bool traverse) {
    auto collection = GObjectRef<AtspiCollection>::adopt(atspi_accessible_get_collection_iface(root));
    if (!collection)
        return std::nullopt;
    GArray* roleArray = g_array_new(FALSE, FALSE, sizeof(AtspiRole));
    for (AtspiRole r : roles)
        g_array_append_val(roleArray, r);
    auto rule = GObjectRef<AtspiMatchRule>::adopt(atspi_match_rule_new(
        nullptr, ATSPI_Collection_MATCH_ALL, nullptr, ATSPI_Collection_MATCH_ALL, roleArray,
        roles.isEmpty() ? ATSPI_Collection_MATCH_ALL : ATSPI_Collection_MATCH_ANY, nullptr,
        ATSPI_Collection_MATCH_ALL, FALSE));
    g_array_unref(roleArray);
    GError* error = nullptr;
    GArray* matches = atspi_collection_get_matches(collection.get(), rule.get(),
                                                   ATSPI_Collection_SORT_ORDER_CANONICAL, 0,
                                                   traverse, &error);
    if (failed(error)) {
        if (matches)
            g_array_unref(matches);
        return std::nullopt;
    }
    QList<GObjectRef<AtspiAccessible>> result;
    if (matches) {
        result.reserve(matches->len);
        for (guint i = 0; i < matches->len; ++i)
            result.append(GObjectRef<AtspiAccessible>::adopt(g_array_index(matches, AtspiAccessible*, i)));
        g_array_unref(matches);
    }
    return result;
}

QString AtspiTree::nodeIdentifier(AtspiAccessible* object) {
    const AtspiObject* base = ATSPI_OBJECT(object);
    const char* bus = base->app && base->app->bus_name ? base->app->bus_name : "";
    return QString::fromUtf8(bus) + QString::fromUtf8(base->path ? base->path : "");
}

QStringList AtspiTree::classList(const QHash<QString, QString>& attributes) {
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return attributes.value(QStringLiteral("class")).split(blanks, Qt::SkipEmptyParts);
}

AXReadResult AtspiTree::read(const AXElement& element, const QString& attribute) {
    if (!start())
        return failure(AXErrorCode::cannotComplete);
    AtspiAccessible* object = resolve(element);
    if (!object)
        return failure();
    return readResolved(object, attribute);
}

AXReadResult AtspiTree::readResolved(AtspiAccessible* object, const QString& attribute) {
    // A removed node answers nothing (it would still give an empty name and no children).
    const auto objectRole = role(object);
    if (!objectRole)
        return failure();
    auto isLeaf = [&] { return *objectRole != ATSPI_ROLE_TEXT || childCount(object).value_or(0) == 0; };
    auto readName = [&] {
        auto text = name(object);
        return text ? success(*text) : failure();
    };
    switch (attributeOf(attribute)) {
    case Attribute::children: {
        auto list = children(object);
        return list ? success(*list) : failure();
    }
    case Attribute::role:
        return success(AtspiRoles::axRole(*objectRole, isLeaf()));
    case Attribute::value: {
        // Chromium puts a text run's text in its name.
        if (AtspiRoles::isStaticText(*objectRole, isLeaf()))
            return readName();
        auto textInterface = GObjectRef<AtspiText>::adopt(atspi_accessible_get_text_iface(object));
        if (!textInterface)
            return failure(AXErrorCode::noValue);
        GError* error = nullptr;
        gchar* raw = atspi_text_get_text(textInterface.get(), 0, -1, &error);
        if (failed(error)) {
            g_free(raw);
            return failure();
        }
        // Child objects show as U+FFFC in their parent's text; they are no part of its value.
        return success(takeString(raw).remove(objectReplacement));
    }
    case Attribute::description: {
        // Qt keeps a widget's accessible description apart from its name, and reports that
        // description (not the name) as the AX description on the Mac; for Chromium the AX
        // description is the accessible name (an aria-label, say).
        if (!isQtObject(object))
            return readName();
        auto text = accessibleDescription(object);
        return text ? success(*text) : failure();
    }
    case Attribute::title:
        return readName();
    case Attribute::windows: {
        if (*objectRole != ATSPI_ROLE_APPLICATION)
            return failure(AXErrorCode::attributeUnsupported);
        auto list = children(object);
        if (!list)
            return failure();
        QList<AXElement> windows;
        for (const AXElement& child : *list) {
            AtspiAccessible* childObject = resolve(child);
            const auto childRole = childObject ? role(childObject) : std::nullopt;
            if (childRole && AtspiRoles::isWindow(*childRole))
                windows.append(child);
        }
        return success(windows);
    }
    case Attribute::domClassList: {
        auto attributes = objectAttributes(object);
        if (!attributes)
            return failure();
        return success(classList(*attributes));
    }
    case Attribute::domIdentifier: {
        auto attributes = objectAttributes(object);
        if (!attributes)
            return failure();
        const auto id = attributes->constFind(QStringLiteral("id"));
        return id == attributes->constEnd() ? failure(AXErrorCode::noValue) : success(*id);
    }
    case Attribute::chromeNodeId:
        return success(nodeIdentifier(object));
    case Attribute::subrole:
    case Attribute::other:
        return failure(AXErrorCode::attributeUnsupported);
    }
    return failure(AXErrorCode::attributeUnsupported);
}

bool AtspiTree::exposesWebContent(AtspiAccessible* application) {
    const auto documents = matchingDescendants(application, {ATSPI_ROLE_DOCUMENT_WEB});
    return documents && !documents->isEmpty();
}

int AtspiTree::nudge(const AXElement& element) {
    if (!start())
        return AXErrorCode::cannotComplete;
    AtspiAccessible* object = resolve(element);
    if (!object)
        return AXErrorCode::invalidElement;
    // Always a real call: asking for attributes is what wakes Chromium's web tree up.
    GError* error = nullptr;
    GHashTable* table = atspi_accessible_get_attributes(object, &error);
    if (table)
        g_hash_table_unref(table);
    if (failed(error))
        return AXErrorCode::invalidElement;
    auto application = GObjectRef<AtspiAccessible>::adopt(atspi_accessible_get_application(object, &error));
    if (failed(error) || !application)
        return AXErrorCode::cannotComplete;
    return exposesWebContent(application.get()) ? AXErrorCode::success : AXErrorCode::cannotComplete;
}

QList<RunningApplication> AtspiTree::applications() {
    QList<RunningApplication> result;
    if (!start())
        return result;
    auto desktop = GObjectRef<AtspiAccessible>::adopt(atspi_get_desktop(0));
    GError* error = nullptr;
    const int count = desktop ? atspi_accessible_get_child_count(desktop.get(), &error) : 0;
    if (failed(error))
        return result;
    for (int i = 0; i < count; ++i) {
        auto app = GObjectRef<AtspiAccessible>::adopt(
            atspi_accessible_get_child_at_index(desktop.get(), i, &error));
        if (failed(error) || !app)
            continue;
        const auto pid = processOf(app.get());
        if (!pid)
            continue;
        RunningApplication running;
        running.processIdentifier = *pid;
        // The executable's name: what the identifier table knows applications by.
        const QString executable =
            QFileInfo(QStringLiteral("/proc/%1/exe").arg(*pid)).symLinkTarget();
        if (!executable.isEmpty())
            running.bundleIdentifier = QFileInfo(executable).fileName();
        result.append(running);
    }
    return result;
}

} // namespace velmora
