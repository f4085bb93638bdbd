#pragma once

#include <QHash>
#include <QString>

namespace velmora {

// What the browser scanner looks for: a group with a given (trimmed) description, a node whose
// DOM class list holds a given class, or a node with a direct child of a given DOM identifier
// (Chromium on Linux drops class-only boxes from the tree, so a caption box may survive only
// as the parent of its identified lines).
struct BrowserCaptionTarget {
    enum class Kind { description, domClass, childDOMIdentifier };

    Kind kind;
    QString text;

    static BrowserCaptionTarget description(const QString& text) { return {Kind::description, text}; }
    static BrowserCaptionTarget domClass(const QString& text) { return {Kind::domClass, text}; }
    static BrowserCaptionTarget childDOMIdentifier(const QString& text) {
        return {Kind::childDOMIdentifier, text};
    }

    bool operator==(const BrowserCaptionTarget& other) const {
        return kind == other.kind && text == other.text;
    }
};

inline size_t qHash(const BrowserCaptionTarget& target, size_t seed = 0) {
    return qHashMulti(seed, static_cast<int>(target.kind), target.text);
}

} // namespace velmora
