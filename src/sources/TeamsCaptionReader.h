#pragma once

#include "sources/NativeAppCaptionReader.h"

#include <QDateTime>

#include <optional>

namespace velmora {

// Reads the captions of the Teams desktop client: a group described "Live Captions" in which
// every caption line is a node with exactly two static texts, the speaker and the text.
class TeamsCaptionReader final : public NativeAppCaptionReader {
public:
    struct TextGroup {
        QString speaker;
        QString text;
        bool operator==(const TextGroup&) const = default;
    };

    static inline const QString captionGroupDescription = QStringLiteral("Live Captions");
    // The client's notice about the caption language looks like a caption line; it is not one.
    static inline const QString languageBannerPrefix = QStringLiteral("Captions will be shown in");
    static constexpr int containerSearchDepth = 40;
    static constexpr int summaryChildLimit = 10;

    TeamsCaptionReader(const ReaderEnvironment& environment, PIDCache& pidCache,
                       Duration pollInterval = std::chrono::seconds(1));

    // The caption group below `appElement`; the monitor looks for the same marker.
    static std::optional<AXElement> findCaptionGroup(Accessibility& ax, const AXElement& appElement);
    QList<TextGroup> collectTextGroups(const AXElement& element) const;
    static CaptionSnapshot parseSpeakerTextPairs(const QList<TextGroup>& groups,
                                                 const QDateTime& timestamp);
    // Diagnostics: the application's windows and their first children.
    static void logAXTreeSummary(Accessibility& ax, const AXElement& appElement);

protected:
    std::optional<AXElement> findContainer(const AXElement& appElement) const override;
    CaptionSnapshot extractEntries(const AXElement& container) const override;
    void onContainerNotFound(const AXElement& appElement) const override;

private:
    void collectTextGroups(const AXElement& element, QList<TextGroup>& groups) const;
};

} // namespace velmora
