#include "platform/linux/AtspiWebSearch.h"

#include "platform/linux/AtspiRoles.h"
#include "platform/linux/AtspiTree.h"
#include "sources/AXHelpers.h"
#include "sources/AXNames.h"

#include <algorithm>

namespace velmora {

namespace {

// Every role a node with DOM attributes can have: all but the text runs, which never carry a
// class or an id. (libatspi can only ask for the first 128 roles.)
const QList<AtspiRole>& elementRoles() {
    static const QList<AtspiRole> roles = [] {
        QList<AtspiRole> list;
        for (int r = 0; r < 128 && r < ATSPI_ROLE_LAST_DEFINED; ++r) {
            if (r != ATSPI_ROLE_STATIC)
                list.append(AtspiRole(r));
        }
        return list;
    }();
    return roles;
}

} // namespace

AtspiWebSearch::AtspiWebSearch(AtspiTree& tree) : tree_(tree) {}

AtspiWebSearch::Known& AtspiWebSearch::know(AtspiAccessible* object) {
    seen_.insert(object);
    auto it = known_.find(object);
    if (it == known_.end()) {
        it = known_.insert(object, Known{});
        it->object = GObjectRef<AtspiAccessible>::share(object);
    }
    return *it;
}

const std::optional<AtspiRole>& AtspiWebSearch::roleOf(Known& known) {
    if (!known.roleRead) {
        known.role = tree_.role(known.object.get());
        known.roleRead = true;
    }
    return known.role;
}

const std::optional<QString>& AtspiWebSearch::nameOf(Known& known) {
    if (!known.nameRead) {
        known.name = tree_.name(known.object.get());
        known.nameRead = true;
    }
    return known.name;
}

const std::optional<QHash<QString, QString>>& AtspiWebSearch::attributesOf(Known& known) {
    if (!known.attributesRead) {
        known.attributes = tree_.objectAttributes(known.object.get());
        known.attributesRead = true;
    }
    return known.attributes;
}

AtspiAccessible* AtspiWebSearch::parentOf(Known& known) {
    if (!known.parentRead) {
        GError* error = nullptr;
        known.parent = GObjectRef<AtspiAccessible>::adopt(
            atspi_accessible_get_parent(known.object.get(), &error));
        if (error) {
            g_clear_error(&error);
            known.parent = {};
        }
        known.parentRead = true;
    }
    return known.parent.get();
}

std::optional<int> AtspiWebSearch::distance(AtspiAccessible* object, AtspiAccessible* ancestor,
                                            int limit) {
    int steps = 0;
    while (object && object != ancestor) {
        if (++steps > limit)
            return std::nullopt;
        object = parentOf(know(object));
    }
    if (!object)
        return std::nullopt;
    return steps;
}

namespace {

bool isGroupRole(AtspiTree& tree, AtspiAccessible* object, AtspiRole role) {
    if (role != ATSPI_ROLE_TEXT)
        return AtspiRoles::isGroup(role);
    // A text role reads as a group only when it holds children.
    return tree.childCount(object).value_or(0) > 0;
}

bool hasIdentifier(const std::optional<QHash<QString, QString>>& attributes, const QString& id) {
    if (!attributes)
        return false;
    const auto it = attributes->constFind(QStringLiteral("id"));
    return it != attributes->constEnd() && *it == id;
}

} // namespace

bool AtspiWebSearch::matches(Known& known, const BrowserCaptionTarget& target) {
    switch (target.kind) {
    case BrowserCaptionTarget::Kind::description: {
        const auto& role = roleOf(known);
        if (!role || !isGroupRole(tree_, known.object.get(), *role))
            return false;
        const auto& name = nameOf(known);
        return name && AXHelpers::trimmedDescription(*name) == target.text;
    }
    case BrowserCaptionTarget::Kind::domClass: {
        const auto& attributes = attributesOf(known);
        return attributes && AtspiTree::hasClass(*attributes, target.text);
    }
    case BrowserCaptionTarget::Kind::childDOMIdentifier:
        // Matched through the identified child (see firstMatch).
        return false;
    }
    return false;
}

bool AtspiWebSearch::stillMatches(AtspiAccessible* object, const BrowserCaptionTarget& target) {
    Known& known = know(object);
    known.roleRead = known.nameRead = known.attributesRead = false;
    return matches(known, target);
}

AtspiAccessible* AtspiWebSearch::firstMatch(const QList<GObjectRef<AtspiAccessible>>& nodes,
                                            const BrowserCaptionTarget& target,
                                            int documentDepth, int maxDepth) {
    AtspiAccessible* document = nodes.constFirst().get();
    auto withinBound = [&](AtspiAccessible* object) {
        const auto below = distance(object, document, maxDepth);
        return below && documentDepth + *below < maxDepth;
    };
    if (target.kind != BrowserCaptionTarget::Kind::childDOMIdentifier) {
        for (const auto& node : nodes) {
            if (!matches(know(node.get()), target) || !withinBound(node.get()))
                continue;
            if (stillMatches(node.get(), target))
                return node.get();
        }
        return nullptr;
    }
    // A node matches when one of its children carries the identifier: of all such parents,
    // the first in pre-order.
    QHash<AtspiAccessible*, qsizetype> position;
    for (qsizetype i = 0; i < nodes.size(); ++i)
        position.insert(nodes[i].get(), i);
    QList<std::pair<qsizetype, AtspiAccessible*>> parents; // (position of parent, child)
    for (const auto& node : nodes) {
        if (!hasIdentifier(attributesOf(know(node.get())), target.text))
            continue;
        AtspiAccessible* parent = parentOf(know(node.get()));
        const auto at = position.constFind(parent);
        if (at != position.constEnd())
            parents.append({*at, node.get()});
    }
    std::sort(parents.begin(), parents.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [at, child] : parents) {
        AtspiAccessible* parent = nodes[at].get();
        if (!withinBound(parent))
            continue;
        Known& fresh = know(child);
        fresh.attributesRead = false;
        if (hasIdentifier(attributesOf(fresh), target.text))
            return parent;
    }
    return nullptr;
}

void AtspiWebSearch::forgetUnseen(const AtspiApplication* application) {
    for (auto it = known_.begin(); it != known_.end();) {
        if (ATSPI_OBJECT(it.key())->app == application && !seen_.contains(it.key()))
            it = known_.erase(it);
        else
            ++it;
    }
    seen_.clear();
}

std::optional<QHash<BrowserCaptionTarget, AXElement>>
AtspiWebSearch::find(AtspiAccessible* application, const QList<BrowserCaptionTarget>& targets,
                     int maxDepth) {
    for (const auto& changed : tree_.takeNameChanges()) {
        auto it = known_.find(changed.get());
        if (it != known_.end())
            it->nameRead = false;
    }
    QHash<BrowserCaptionTarget, AXElement> found;
    if (maxDepth <= 0 || targets.isEmpty())
        return found;
    const auto documents = tree_.matchingDescendants(application, {ATSPI_ROLE_DOCUMENT_WEB});
    if (!documents)
        return std::nullopt;
    seen_.clear();
    QSet<AtspiAccessible*> covered;
    for (const auto& document : *documents) {
        if (covered.contains(document.get()))
            continue; // a frame's document, searched with the page that holds it
        const auto documentDepth = distance(document.get(), application, maxDepth);
        if (!documentDepth || *documentDepth >= maxDepth)
            continue;
        auto descendants = tree_.matchingDescendants(document.get(), elementRoles());
        if (!descendants)
            return std::nullopt;
        QList<GObjectRef<AtspiAccessible>> nodes{document};
        nodes.append(std::move(*descendants));
        for (const auto& node : nodes) {
            covered.insert(node.get());
            seen_.insert(node.get()); // listed: worth remembering even if not looked at now
        }
        bool complete = true;
        for (const BrowserCaptionTarget& target : targets) {
            if (found.contains(target))
                continue;
            if (AtspiAccessible* hit = firstMatch(nodes, target, *documentDepth, maxDepth))
                found.insert(target, tree_.element(hit));
            else
                complete = false;
        }
        if (complete)
            break;
    }
    forgetUnseen(ATSPI_OBJECT(application)->app);
    return found;
}

} // namespace velmora
