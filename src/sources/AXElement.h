#pragma once

#include <memory>

namespace velmora {

// What a backend keeps for one accessibility node of another process.
class AXNode {
public:
    virtual ~AXNode() = default;
};

// A cheap, reference-counted handle to one accessibility node. A dead node stays a valid
// handle whose reads all fail.
class AXElement {
public:
    AXElement() = default;
    explicit AXElement(std::shared_ptr<const AXNode> node) : node_(std::move(node)) {}

    bool isNull() const { return !node_; }
    const AXNode* node() const { return node_.get(); }
    template <typename Node>
    const Node* as() const {
        return dynamic_cast<const Node*>(node_.get());
    }

    bool operator==(const AXElement& other) const { return node_ == other.node_; }

private:
    std::shared_ptr<const AXNode> node_;
};

} // namespace velmora
