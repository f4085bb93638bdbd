#include "sources/TeamsCaptionReader.h"

#include "sources/ApplicationIdentifiers.h"
#include "sources/AXHelpers.h"
#include "sources/AXNames.h"
#include "sources/Logging.h"

namespace velmora {

TeamsCaptionReader::TeamsCaptionReader(const ReaderEnvironment& environment, PIDCache& pidCache,
                                       Duration pollInterval)
    : NativeAppCaptionReader(environment, pidCache, pollInterval, lcReader(), CaptionSource::teams,
                             QStringLiteral("Teams"), {ApplicationIdentifiers::teamsBundleID},
                             captionGroupDescription) {}

std::optional<AXElement> TeamsCaptionReader::findCaptionGroup(Accessibility& ax,
                                                              const AXElement& appElement) {
    return AXHelpers::findByDescription(ax, appElement, captionGroupDescription, 0,
                                        containerSearchDepth);
}

std::optional<AXElement> TeamsCaptionReader::findContainer(const AXElement& appElement) const {
    return findCaptionGroup(env_.accessibility, appElement);
}

QList<TeamsCaptionReader::TextGroup> TeamsCaptionReader::collectTextGroups(const AXElement& element) const {
    QList<TextGroup> groups;
    collectTextGroups(element, groups);
    return groups;
}

void TeamsCaptionReader::collectTextGroups(const AXElement& element, QList<TextGroup>& groups) const {
    Accessibility& ax = env_.accessibility;
    QList<AXElement> texts;
    QList<AXElement> others;
    for (const AXElement& child : AXHelpers::children(ax, element)) {
        if (AXHelpers::role(ax, child) == AXRole::staticText)
            texts.append(child);
        else
            others.append(child);
    }
    if (texts.size() == 2) {
        const std::optional<QString> speaker = AXHelpers::stringValue(ax, texts[0]);
        const std::optional<QString> text = AXHelpers::stringValue(ax, texts[1]);
        if (speaker && !speaker->isEmpty() && text && !text->isEmpty())
            groups.append(TextGroup{*speaker, *text});
    }
    for (const AXElement& child : others)
        collectTextGroups(child, groups);
}

CaptionSnapshot TeamsCaptionReader::parseSpeakerTextPairs(const QList<TextGroup>& groups,
                                                          const QDateTime& timestamp) {
    CaptionSnapshot entries;
    for (const TextGroup& group : groups) {
        if (group.speaker.startsWith(languageBannerPrefix))
            continue;
        entries.append(CaptionEntry{timestamp, group.speaker, group.text});
    }
    return entries;
}

CaptionSnapshot TeamsCaptionReader::extractEntries(const AXElement& container) const {
    const QList<TextGroup> groups = collectTextGroups(container);
    return parseSpeakerTextPairs(groups, env_.clock.now());
}

void TeamsCaptionReader::onContainerNotFound(const AXElement& appElement) const {
    // The loop already runs this hook on the accessibility queue, off the main thread.
    logAXTreeSummary(env_.accessibility, appElement);
}

void TeamsCaptionReader::logAXTreeSummary(Accessibility& ax, const AXElement& appElement) {
    const AXReadResult read = ax.copyAttributeValue(appElement, AXAttribute::windows);
    const auto* windows = std::get_if<QList<AXElement>>(&read.value);
    if (read.error != AXErrorCode::success || !windows) {
        const int error = read.error != AXErrorCode::success ? read.error : AXErrorCode::noValue;
        qCCritical(lcReader, "Cannot read windows (AXError: %d)", error);
        return;
    }
    qCInfo(lcReader, "AX tree: %lld windows", qint64(windows->size()));
    const QString none = QStringLiteral("(none)");
    const QString unknown = QStringLiteral("?");
    for (qsizetype w = 0; w < windows->size(); ++w) {
        const AXElement& window = windows->at(w);
        const QList<AXElement> children = AXHelpers::children(ax, window);
        qCInfo(lcReader, "  window[%lld]: \"%s\" (role=%s, desc=%s, children=%lld)", qint64(w),
               qUtf8Printable(AXHelpers::title(ax, window).value_or(QStringLiteral("(no title)"))),
               qUtf8Printable(AXHelpers::role(ax, window).value_or(unknown)),
               qUtf8Printable(AXHelpers::description(ax, window).value_or(none)),
               qint64(children.size()));
        for (qsizetype c = 0; c < children.size() && c < summaryChildLimit; ++c) {
            const AXElement& child = children.at(c);
            qCInfo(lcReader, "    [%lld]: %s desc=%s (%lld children)", qint64(c),
                   qUtf8Printable(AXHelpers::role(ax, child).value_or(unknown)),
                   qUtf8Printable(AXHelpers::description(ax, child).value_or(none)),
                   qint64(AXHelpers::children(ax, child).size()));
        }
        if (children.size() > summaryChildLimit)
            qCInfo(lcReader, "    ... +%lld more", qint64(children.size() - summaryChildLimit));
    }
}

} // namespace velmora
