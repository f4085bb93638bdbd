#include "capture/SubstringIndex.h"

namespace velmora {

void SubstringIndex::clear() {
    states_.clear();
    edges_.clear();
    rootEdges_.clear(); // allocated when text arrives
    states_.push_back({0, -1, -1});
    last_ = 0;
    size_ = 0;
}

void SubstringIndex::append(QStringView text) {
    if (rootEdges_.empty() && !text.isEmpty())
        rootEdges_.assign(rootTableSize, -1);
    for (QChar c : text)
        extend(c.unicode());
    size_ += text.size();
}

bool SubstringIndex::contains(QStringView needle) const {
    qint32 state = 0;
    for (QChar c : needle) {
        const qint32 edge = findEdge(state, c.unicode());
        if (edge < 0)
            return false;
        state = edges_[edge].target;
    }
    return true;
}

qint32 SubstringIndex::findEdge(qint32 state, char16_t symbol) const {
    // Every suffix-link walk ends at the root, which has an edge for nearly every symbol of
    // the text: it gets a table of its own.
    if (state == 0 && symbol < rootTableSize)
        return rootEdges_.empty() ? -1 : rootEdges_[symbol];
    for (qint32 edge = states_[state].firstEdge; edge >= 0; edge = edges_[edge].next) {
        if (edges_[edge].symbol == symbol)
            return edge;
    }
    return -1;
}

void SubstringIndex::addEdge(qint32 state, char16_t symbol, qint32 target) {
    edges_.push_back({symbol, target, states_[state].firstEdge});
    states_[state].firstEdge = qint32(edges_.size() - 1);
    if (state == 0 && symbol < rootTableSize)
        rootEdges_[symbol] = states_[state].firstEdge;
}

qint32 SubstringIndex::addState(qint32 length, qint32 link) {
    states_.push_back({length, link, -1});
    return qint32(states_.size() - 1);
}

void SubstringIndex::extend(char16_t symbol) {
    const qint32 current = addState(states_[last_].length + 1, -1);
    qint32 state = last_;
    while (state >= 0 && findEdge(state, symbol) < 0) {
        addEdge(state, symbol, current);
        state = states_[state].link;
    }
    if (state < 0) {
        states_[current].link = 0;
    } else {
        const qint32 next = edges_[findEdge(state, symbol)].target;
        if (states_[state].length + 1 == states_[next].length) {
            states_[current].link = next;
        } else {
            const qint32 clone = addState(states_[state].length + 1, states_[next].link);
            for (qint32 edge = states_[next].firstEdge; edge >= 0; edge = edges_[edge].next)
                addEdge(clone, edges_[edge].symbol, edges_[edge].target);
            for (; state >= 0; state = states_[state].link) {
                const qint32 edge = findEdge(state, symbol);
                if (edge < 0 || edges_[edge].target != next)
                    break;
                edges_[edge].target = clone;
            }
            states_[next].link = clone;
            states_[current].link = clone;
        }
    }
    last_ = current;
}

} // namespace velmora
