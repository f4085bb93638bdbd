#include "fakes/FakeAccessibility.h"

#include "fakes/AccessibilityJobMarker.h"

#include <gtest/gtest.h>

namespace velmora {

FakeNode::Ptr FakeNode::make(const QString& role) {
    auto node = std::make_shared<FakeNode>();
    if (!role.isEmpty())
        node->set(AXAttribute::role, role);
    return node;
}

FakeNode::Ptr FakeNode::staticText(const QString& value) {
    auto node = make(AXRole::staticText);
    node->set(AXAttribute::value, value);
    return node;
}

FakeNode::Ptr FakeNode::group(const QString& description) {
    auto node = make(AXRole::group);
    node->set(AXAttribute::description, description);
    return node;
}

FakeNode& FakeNode::set(const QString& attribute, AXValue value) {
    attributes_.insert(attribute, std::move(value));
    errors_.remove(attribute);
    return *this;
}

FakeNode& FakeNode::unset(const QString& attribute) {
    attributes_.remove(attribute);
    return *this;
}

FakeNode& FakeNode::fail(const QString& attribute, int errorCode) {
    errors_.insert(attribute, errorCode);
    return *this;
}

FakeNode& FakeNode::setWindows(const QList<Ptr>& windows) {
    QList<AXElement> elements;
    for (const Ptr& window : windows)
        elements.append(window->element());
    return set(AXAttribute::windows, elements);
}

FakeNode::Ptr FakeNode::add(Ptr child) {
    children_.append(child);
    return child;
}

FakeNode& FakeNode::addAll(const QList<Ptr>& children) {
    children_.append(children);
    return *this;
}

void FakeNode::removeChild(const Ptr& child) { children_.removeAll(child); }

void FakeNode::clearChildren() { children_.clear(); }

AXReadResult FakeNode::read(const QString& attribute) const {
    if (dead_)
        return {AXErrorCode::invalidElement, {}};
    if (errors_.contains(attribute))
        return {errors_.value(attribute), {}};
    if (attributes_.contains(attribute))
        return {AXErrorCode::success, attributes_.value(attribute)};
    if (attribute == AXAttribute::children) {
        QList<AXElement> elements;
        for (const Ptr& child : children_)
            elements.append(child->element());
        return {AXErrorCode::success, elements};
    }
    return {AXErrorCode::noValue, {}};
}

int FakeNode::writeResult(const QString& attribute) const {
    if (dead_)
        return AXErrorCode::invalidElement;
    return writeResults_.value(attribute, AXErrorCode::attributeUnsupported);
}

FakeNode& FakeNode::setWriteResult(const QString& attribute, int errorCode) {
    writeResults_.insert(attribute, errorCode);
    return *this;
}

FakeNode::Ptr FakeAccessibility::app(qint32 pid) {
    QMutexLocker lock(&mutex_);
    auto& node = apps_[pid];
    if (!node)
        node = FakeNode::make(AXRole::application);
    return node;
}

void FakeAccessibility::removeApp(qint32 pid) {
    QMutexLocker lock(&mutex_);
    if (auto node = apps_.value(pid))
        node->die();
    running.erase(std::remove_if(running.begin(), running.end(),
                                 [pid](const RunningApplication& a) { return a.processIdentifier == pid; }),
                  running.end());
}

void FakeAccessibility::addRunning(const QString& identifier, qint32 pid) {
    running.append(RunningApplication{identifier, pid});
}

int FakeAccessibility::readCount() const {
    QMutexLocker lock(&mutex_);
    return reads_;
}

void FakeAccessibility::checkOnQueue(const char* call) const {
    if (requireQueue && !AccessibilityJobMarker::inJob())
        ADD_FAILURE() << call << " was called outside the accessibility queue";
}

bool FakeAccessibility::isProcessTrusted() {
    checkOnQueue("isProcessTrusted");
    return trusted;
}

void FakeAccessibility::requestTrust() {
    checkOnQueue("requestTrust");
    ++trustRequests;
}

AXElement FakeAccessibility::applicationElement(qint32 processIdentifier) {
    checkOnQueue("applicationElement");
    {
        QMutexLocker lock(&mutex_);
        if (auto node = apps_.value(processIdentifier))
            return node->element();
    }
    // No such process: a handle whose reads all fail.
    auto dead = FakeNode::make();
    dead->die();
    return dead->element();
}

AXReadResult FakeAccessibility::copyAttributeValue(const AXElement& element, const QString& attribute) {
    checkOnQueue("copyAttributeValue");
    {
        QMutexLocker lock(&mutex_);
        ++reads_;
    }
    const auto* node = element.as<FakeNode>();
    if (!node)
        return {AXErrorCode::invalidElement, {}};
    return node->read(attribute);
}

int FakeAccessibility::setAttributeValue(const AXElement& element, const QString& attribute, bool value) {
    checkOnQueue("setAttributeValue");
    const auto* node = element.as<FakeNode>();
    if (!node)
        return AXErrorCode::invalidElement;
    writes.append(FakeWrite{node, attribute, value});
    return node->writeResult(attribute);
}

QList<RunningApplication> FakeAccessibility::runningApplications() {
    checkOnQueue("runningApplications");
    ++runningApplicationsCalls;
    return running;
}

} // namespace velmora
