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

AtspiWebSearch::AtspiWebSearch(AtspiTree& tree) : tree_(tree) {
    // Only ever marks an entry: safe even if an event arrives in the middle of a search.
    tree_.setNameChangeHandler([this](AtspiAccessible* object) {
        const auto it = known_.find(object);
        if (it != known_.end())
            it->nameRead = false;
    });
}

AtspiWebSearch::~AtspiWebSearch() { tree_.setNameChangeHandler({}); }

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

bool AtspiWebSearch::readAttributes(Known& known) {
    if (!known.attributesRead) {
        const auto attributes = tree_.objectAttributes(known.object.get());
        known.attributesRead = true;
        known.attributesKnown = attributes.has_value();
        known.classes = attributes ? AtspiTree::classList(*attributes) : QStringList();
        known.id.reset();
        if (attributes) {
            const auto id = attributes->constFind(QStringLiteral("id"));
            if (id != attributes->constEnd())
                known.id = *id;
        }
    }
    return known.attributesKnown;
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

namespace {

bool isGroupRole(AtspiTree& tree, AtspiAccessible* object, AtspiRole role) {
    if (role != ATSPI_ROLE_TEXT)
        return AtspiRoles::isGroup(role);
    // A text role reads as a group only when it holds children.
    return tree.childCount(object).value_or(0) > 0;
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
    case BrowserCaptionTarget::Kind::domClass:
        return readAttributes(known) && known.classes.contains(target.text);
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

AtspiAccessible* AtspiWebSearch::firstMatch(const QList<AtspiAccessible*>& candidates,
                                            const BrowserCaptionTarget& target) {
    if (target.kind != BrowserCaptionTarget::Kind::childDOMIdentifier) {
        for (AtspiAccessible* candidate : candidates) {
            if (matches(know(candidate), target) && stillMatches(candidate, target))
                return candidate;
        }
        return nullptr;
    }
    // A node matches when one of its children carries the identifier: of all such parents,
    // the first in pre-order.
    QHash<AtspiAccessible*, qsizetype> position;
    for (qsizetype i = 0; i < candidates.size(); ++i)
        position.insert(candidates[i], i);
    QList<std::pair<qsizetype, AtspiAccessible*>> parents; // (position of parent, child)
    for (AtspiAccessible* candidate : candidates) {
        Known& known = know(candidate);
        if (!readAttributes(known) || known.id != target.text)
            continue;
        const auto at = position.constFind(parentOf(known));
        if (at != position.constEnd())
            parents.append({*at, candidate});
    }
    std::sort(parents.begin(), parents.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [at, child] : parents) {
        Known& fresh = know(child);
        fresh.attributesRead = false;
        if (readAttributes(fresh) && fresh.id == target.text)
            return candidates[at];
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
    QHash<BrowserCaptionTarget, AXElement> found;
    if (maxDepth <= 0 || targets.isEmpty())
        return found;
    // Everything but text runs, browser interface included, in pre-order, in one call.
    const auto nodes = tree_.matchingDescendants(application, elementRoles());
    if (!nodes)
        return std::nullopt;
    seen_.clear();
    // Where each node sits: its depth below the application and whether it is web content (a
    // document or below one). A parent always comes before its children.
    struct Place {
        int depth;
        bool web;
    };
    QHash<AtspiAccessible*, Place> places;
    places.insert(application, Place{0, false});
    QList<AtspiAccessible*> candidates; // web content above the depth bound, in pre-order
    for (const auto& node : *nodes) {
        Known& known = know(node.get());
        auto parent = places.constFind(parentOf(known));
        if (parent == places.constEnd()) {
            // Moved since its parent was read (a wrapper around it came or went): read again.
            known.parentRead = false;
            parent = places.constFind(parentOf(known));
            if (parent == places.constEnd())
                continue;
        }
        const auto& role = roleOf(known);
        const Place place{parent->depth + 1, parent->web || role == ATSPI_ROLE_DOCUMENT_WEB};
        places.insert(node.get(), place);
        if (place.web && place.depth < maxDepth)
            candidates.append(node.get());
    }
    for (const BrowserCaptionTarget& target : targets) {
        if (AtspiAccessible* hit = firstMatch(candidates, target))
            found.insert(target, tree_.element(hit));
    }
    forgetUnseen(ATSPI_OBJECT(application)->app);
    return found;
}

} // namespace velmora
