#pragma once

#include <QHash>
#include <QString>

namespace velmora {

// What the browser scanner looks for: a group with a given (trimmed) description, or a node
// whose DOM class list holds a given class.
struct BrowserCaptionTarget {
    enum class Kind { description, domClass };

    Kind kind;
    QString text;

    static BrowserCaptionTarget description(const QString& text) { return {Kind::description, text}; }
    static BrowserCaptionTarget domClass(const QString& text) { return {Kind::domClass, text}; }

    bool operator==(const BrowserCaptionTarget& other) const {
        return kind == other.kind && text == other.text;
    }
};

inline size_t qHash(const BrowserCaptionTarget& target, size_t seed = 0) {
    return qHashMulti(seed, static_cast<int>(target.kind), target.text);
}

} // namespace velmora
