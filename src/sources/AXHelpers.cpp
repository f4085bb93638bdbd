#include "sources/AXHelpers.h"

#include "sources/AXNames.h"
#include "sources/Logging.h"

namespace velmora::AXHelpers {

namespace {

template <typename T>
std::optional<T> read(Accessibility& ax, const AXElement& element, const QString& attribute) {
    if (element.isNull())
        return std::nullopt;
    AXReadResult result = ax.copyAttributeValue(element, attribute);
    if (result.error != AXErrorCode::success)
        return std::nullopt;
    if (T* value = std::get_if<T>(&result.value))
        return std::move(*value);
    return std::nullopt;
}

QList<BrowserCaptionTarget> missingTargets(const QList<BrowserCaptionTarget>& targets,
                                           const QHash<BrowserCaptionTarget, AXElement>& found) {
    QList<BrowserCaptionTarget> missing;
    for (const BrowserCaptionTarget& target : targets) {
        if (!found.contains(target))
            missing.append(target);
    }
    return missing;
}

} // namespace

QList<AXElement> children(Accessibility& ax, const AXElement& element) {
    return read<QList<AXElement>>(ax, element, AXAttribute::children).value_or(QList<AXElement>());
}

std::optional<QString> role(Accessibility& ax, const AXElement& element) {
    return read<QString>(ax, element, AXAttribute::role);
}

std::optional<QString> stringValue(Accessibility& ax, const AXElement& element) {
    return read<QString>(ax, element, AXAttribute::value);
}

std::optional<QString> description(Accessibility& ax, const AXElement& element) {
    return read<QString>(ax, element, AXAttribute::description);
}

std::optional<QString> title(Accessibility& ax, const AXElement& element) {
    return read<QString>(ax, element, AXAttribute::title);
}

int windowCount(Accessibility& ax, const AXElement& element) {
    return int(read<QList<AXElement>>(ax, element, AXAttribute::windows).value_or(QList<AXElement>()).size());
}

std::optional<QStringList> domClassList(Accessibility& ax, const AXElement& element) {
    return read<QStringList>(ax, element, AXAttribute::domClassList);
}

std::optional<QString> textAttribute(Accessibility& ax, const AXElement& element,
                                     const QString& attribute) {
    return read<QString>(ax, element, attribute);
}

QString trimmedDescription(const QString& description) {
    qsizetype begin = 0;
    qsizetype end = description.size();
    auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    while (begin < end && blank(description.at(begin)))
        ++begin;
    while (end > begin && blank(description.at(end - 1)))
        --end;
    return description.mid(begin, end - begin);
}

std::optional<QString> findFirstStaticText(Accessibility& ax, const AXElement& element,
                                           int maxDepth, int depth) {
    if (depth >= maxDepth)
        return std::nullopt;
    for (const AXElement& child : children(ax, element)) {
        if (role(ax, child) == AXRole::staticText)
            return stringValue(ax, child);
        if (auto text = findFirstStaticText(ax, child, maxDepth, depth + 1))
            return text;
    }
    return std::nullopt;
}

std::optional<AXElement> findByRoleAndDescription(Accessibility& ax, const AXElement& element,
                                                  const QString& wantedRole,
                                                  const QString& wantedDescription, int depth,
                                                  int maxDepth) {
    if (depth >= maxDepth)
        return std::nullopt;
    if (role(ax, element) == wantedRole) {
        const auto desc = description(ax, element);
        if (desc && trimmedDescription(*desc) == wantedDescription)
            return element;
    }
    for (const AXElement& child : children(ax, element)) {
        if (auto hit = findByRoleAndDescription(ax, child, wantedRole, wantedDescription,
                                                depth + 1, maxDepth))
            return hit;
    }
    return std::nullopt;
}

std::optional<AXElement> findByDescription(Accessibility& ax, const AXElement& element,
                                           const QString& wantedDescription, int depth,
                                           int maxDepth) {
    return findByRoleAndDescription(ax, element, AXRole::group, wantedDescription, depth, maxDepth);
}

std::optional<AXElement> findByDOMClass(Accessibility& ax, const AXElement& element,
                                        const QString& className, int depth, int maxDepth) {
    if (depth >= maxDepth)
        return std::nullopt;
    const auto classes = domClassList(ax, element);
    if (classes && classes->contains(className))
        return element;
    for (const AXElement& child : children(ax, element)) {
        if (auto hit = findByDOMClass(ax, child, className, depth + 1, maxDepth))
            return hit;
    }
    return std::nullopt;
}

bool matchesTarget(Accessibility& ax, const AXElement& element, const BrowserCaptionTarget& target) {
    switch (target.kind) {
    case BrowserCaptionTarget::Kind::domClass: {
        const auto classes = domClassList(ax, element);
        return classes && classes->contains(target.text);
    }
    case BrowserCaptionTarget::Kind::description: {
        if (role(ax, element) != AXRole::group)
            return false;
        const auto desc = description(ax, element);
        return desc && trimmedDescription(*desc) == target.text;
    }
    case BrowserCaptionTarget::Kind::childDOMIdentifier: {
        for (const AXElement& child : children(ax, element)) {
            if (textAttribute(ax, child, AXAttribute::domIdentifier) == target.text)
                return true;
        }
        return false;
    }
    }
    return false;
}

namespace {

// Pre-order, first match per target; `webOnly` lets only nodes inside a web area match.
void collectTargets(Accessibility& ax, const AXElement& element,
                    const QList<BrowserCaptionTarget>& targets, int depth, int maxDepth,
                    bool webOnly, bool insideWeb, QHash<BrowserCaptionTarget, AXElement>& found) {
    if (depth >= maxDepth || targets.isEmpty())
        return;
    if (webOnly && !insideWeb)
        insideWeb = role(ax, element) == AXRole::webArea;
    if (!webOnly || insideWeb) {
        for (const BrowserCaptionTarget& target : targets) {
            if (matchesTarget(ax, element, target))
                found.insert(target, element);
        }
    }
    QList<BrowserCaptionTarget> missing = missingTargets(targets, found);
    if (missing.isEmpty())
        return;
    for (const AXElement& child : children(ax, element)) {
        collectTargets(ax, child, missing, depth + 1, maxDepth, webOnly, insideWeb, found);
        missing = missingTargets(targets, found);
        if (missing.isEmpty())
            break;
    }
}

QHash<BrowserCaptionTarget, AXElement> targetsBelow(Accessibility& ax, const AXElement& element,
                                                    const QList<BrowserCaptionTarget>& targets,
                                                    int depth, int maxDepth, bool webOnly) {
    QHash<BrowserCaptionTarget, AXElement> found;
    collectTargets(ax, element, targets, depth, maxDepth, webOnly, false, found);
    return found;
}

} // namespace

QHash<BrowserCaptionTarget, AXElement> findTargets(Accessibility& ax, const AXElement& element,
                                                   const QList<BrowserCaptionTarget>& targets,
                                                   int depth, int maxDepth) {
    return targetsBelow(ax, element, targets, depth, maxDepth, false);
}

QHash<BrowserCaptionTarget, AXElement> findWebTargets(Accessibility& ax, const AXElement& element,
                                                      const QList<BrowserCaptionTarget>& targets,
                                                      int depth, int maxDepth) {
    return targetsBelow(ax, element, targets, depth, maxDepth, true);
}

bool enableChromiumAccessibility(Accessibility& ax, qint32 processIdentifier) {
    const AXElement app = ax.applicationElement(processIdentifier);
    const auto windows = read<QList<AXElement>>(ax, app, AXAttribute::windows);
    if (!windows || windows->isEmpty())
        return false;
    bool enabled = false;
    for (const AXElement& window : *windows) {
        const int enhanced = ax.setAttributeValue(window, AXAttribute::enhancedUserInterface, true);
        if (enhanced != AXErrorCode::success)
            qCDebug(lcAXHelpers, "AXEnhancedUserInterface set failed: %d", enhanced);
        else
            enabled = true;
        const int manual = ax.setAttributeValue(window, AXAttribute::manualAccessibility, true);
        if (manual != AXErrorCode::success)
            qCDebug(lcAXHelpers, "AXManualAccessibility set failed: %d", manual);
        else
            enabled = true;
    }
    return enabled;
}

} // namespace velmora::AXHelpers
