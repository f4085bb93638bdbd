#pragma once

#include "sources/AXElement.h"
#include "sources/Accessibility.h"
#include "sources/BrowserCaptionTarget.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmora {

// Stateless reads and bounded searches over the accessibility interface. Reads never fail: an
// unreadable attribute is absent. Searches are depth-first pre-order, children in the order
// the tree gives them, first hit wins; a call whose depth is not below maxDepth finds nothing.
namespace AXHelpers {

QList<AXElement> children(Accessibility& ax, const AXElement& element);
std::optional<QString> role(Accessibility& ax, const AXElement& element);
std::optional<QString> stringValue(Accessibility& ax, const AXElement& element);
std::optional<QString> description(Accessibility& ax, const AXElement& element);
std::optional<QString> title(Accessibility& ax, const AXElement& element);
int windowCount(Accessibility& ax, const AXElement& element);
std::optional<QStringList> domClassList(Accessibility& ax, const AXElement& element);
// Any text attribute by name (AXDOMIdentifier, ChromeAXNodeId, AXSubrole …).
std::optional<QString> textAttribute(Accessibility& ax, const AXElement& element,
                                     const QString& attribute);

// Spaces and tabs only; line breaks are kept.
QString trimmedDescription(const QString& description);

std::optional<QString> findFirstStaticText(Accessibility& ax, const AXElement& element,
                                           int maxDepth, int depth = 0);
std::optional<AXElement> findByRoleAndDescription(Accessibility& ax, const AXElement& element,
                                                  const QString& role, const QString& description,
                                                  int depth, int maxDepth);
std::optional<AXElement> findByDescription(Accessibility& ax, const AXElement& element,
                                           const QString& description, int depth, int maxDepth);
std::optional<AXElement> findByDOMClass(Accessibility& ax, const AXElement& element,
                                        const QString& className, int depth, int maxDepth);
// Each target maps to its first matching node in pre-order; targets found are not searched
// for again below, so one walk serves every target.
QHash<BrowserCaptionTarget, AXElement> findTargets(Accessibility& ax, const AXElement& element,
                                                   const QList<BrowserCaptionTarget>& targets,
                                                   int depth, int maxDepth);
// The same search confined to web content: only a web area (AXWebArea) and the nodes below it
// can match; the browser's own interface around it is walked but never matched (it carries
// class names and labelled panels of its own). Depths count from `element` as above.
QHash<BrowserCaptionTarget, AXElement> findWebTargets(Accessibility& ax, const AXElement& element,
                                                      const QList<BrowserCaptionTarget>& targets,
                                                      int depth, int maxDepth);
// Does `element` itself match `target`?
bool matchesTarget(Accessibility& ax, const AXElement& element, const BrowserCaptionTarget& target);

// The shape of the tree at `element`, `levels` levels down, for people to read: roles and the
// names of nodes that are not text (`AXGroup "Captions" [AXImage, AXGroup [AXStaticText]]`),
// never what a text says.
QString outline(Accessibility& ax, const AXElement& element, int levels);

// Asks a Chromium-family browser to expose its web content; true if any write succeeded.
bool enableChromiumAccessibility(Accessibility& ax, qint32 processIdentifier);

} // namespace AXHelpers

} // namespace velmora
