#pragma once

#include <QStringView>

#include <vector>

namespace velmora {

// Answers "does this text contain that string" in time proportional to the string, for a text
// that only grows at its end (a suffix automaton over UTF-16 code units). Appending costs
// amortised constant time per code unit.
class SubstringIndex {
public:
    SubstringIndex() { clear(); }

    void clear();
    void append(QStringView text);
    bool contains(QStringView needle) const;
    // Code units indexed so far.
    qsizetype size() const { return size_; }

private:
    struct State {
        qint32 length;
        qint32 link;
        qint32 firstEdge;
    };
    struct Edge {
        char16_t symbol;
        qint32 target;
        qint32 next;
    };

    qint32 findEdge(qint32 state, char16_t symbol) const;
    void addEdge(qint32 state, char16_t symbol, qint32 target);
    qint32 addState(qint32 length, qint32 link);
    void extend(char16_t symbol);

    static constexpr char16_t rootTableSize = 0x3000; // Latin, Greek, Cyrillic, CJK punctuation …

    std::vector<State> states_;
    std::vector<qint32> rootEdges_;
    std::vector<Edge> edges_;
    qint32 last_ = 0;
    qsizetype size_ = 0;
};

} // namespace velmora
