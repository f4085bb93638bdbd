#pragma once

#include "sources/AXNames.h"
#include "sources/Accessibility.h"

#include <QHash>
#include <QMutex>

#include <memory>

namespace velmora {

// One scripted node: attributes by name, children in order, per-attribute error codes, and a
// node that dies (every read fails). AXChildren answers from the children unless scripted.
class FakeNode final : public AXNode, public std::enable_shared_from_this<FakeNode> {
public:
    using Ptr = std::shared_ptr<FakeNode>;

    static Ptr make(const QString& role = QString());
    static Ptr staticText(const QString& value);
    static Ptr group(const QString& description);

    FakeNode& set(const QString& attribute, AXValue value);
    FakeNode& unset(const QString& attribute);
    FakeNode& fail(const QString& attribute, int errorCode);
    FakeNode& setWindows(const QList<Ptr>& windows);
    Ptr add(Ptr child);               // returns the child
    FakeNode& addAll(const QList<Ptr>& children);
    void removeChild(const Ptr& child);
    void clearChildren();
    void die() { dead_ = true; }
    void revive() { dead_ = false; }

    AXElement element() { return AXElement(shared_from_this()); }
    const QList<Ptr>& children() const { return children_; }

    AXReadResult read(const QString& attribute) const;
    int writeResult(const QString& attribute) const;
    FakeNode& setWriteResult(const QString& attribute, int errorCode);

private:
    QHash<QString, AXValue> attributes_;
    QHash<QString, int> errors_;
    QHash<QString, int> writeResults_;
    QList<Ptr> children_;
    bool dead_ = false;
};

struct FakeWrite {
    const FakeNode* node;
    QString attribute;
    bool value;
};

// The accessibility interface over scripted trees and a scripted running-application list.
class FakeAccessibility final : public Accessibility {
public:
    bool trusted = true;
    bool connectionLost = false;
    int trustRequests = 0;
    QList<RunningApplication> running;
    QList<FakeWrite> writes;
    int runningApplicationsCalls = 0;
    // Every call of the interface must come from a job of a test executor: code under test that
    // calls straight from the main thread fails the test (the real backend would block it).
    bool requireQueue = false;

    // The application node of `pid` (created on first use).
    FakeNode::Ptr app(qint32 pid);
    void removeApp(qint32 pid); // the process quits: its application node dies
    void addRunning(const QString& identifier, qint32 pid);
    int readCount() const;

    bool isProcessTrusted() override;
    void requestTrust() override;
    bool isConnectionLost() override {
        checkOnQueue("isConnectionLost");
        return connectionLost;
    }
    AXElement applicationElement(qint32 processIdentifier) override;
    AXReadResult copyAttributeValue(const AXElement& element, const QString& attribute) override;
    int setAttributeValue(const AXElement& element, const QString& attribute, bool value) override;
    QList<RunningApplication> runningApplications() override;

private:
    void checkOnQueue(const char* call) const;

    QHash<qint32, FakeNode::Ptr> apps_;
    mutable QMutex mutex_;
    int reads_ = 0;
};

} // namespace velmora
