#pragma once

#include "fakes/ReaderTestBench.h"
#include "sources/AXNames.h"

namespace velmora {

// A group (no description) holding `children`.
inline FakeNode::Ptr groupOf(const QList<FakeNode::Ptr>& children = {}) {
    auto node = FakeNode::make(AXRole::group);
    node->addAll(children);
    return node;
}

// A browser reader of type `Reader` over a fake browser: an application with one window whose
// web area (`page`) holds the client's content; one poll per virtual second.
template <typename Reader>
class BrowserReaderBench : public ReaderTestBench<Reader> {
protected:
    static constexpr qint32 browserPID = 77;
    FakeNode::Ptr app = this->ax.app(browserPID);
    FakeNode::Ptr window = app->add(FakeNode::make(AXRole::window));
    FakeNode::Ptr page = window->add(FakeNode::make(AXRole::webArea));

    std::shared_ptr<Reader> startBrowserReader() {
        auto reader = std::make_shared<Reader>(this->env, browserPID);
        this->collected.emplace(reader->captions());
        reader->startReading();
        this->scheduler.runDue();
        return reader;
    }
    QStringList lastLines() const { return this->lines(this->collected->last()); }
};

} // namespace velmora
