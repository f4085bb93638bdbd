#pragma once

#include "sources/NativeAppCaptionReader.h"

#include <QDateTime>
#include <QStringList>

#include <optional>

namespace velmora {

// Reads the captions of the Zoom desktop client: a table described "Closed caption subtitles"
// whose cells hold the speaker's picture (described with the speaker's name) and the caption
// text. Qt tables differ: no row elements (cells, header cells and a corner widget sit straight
// under the table), and an item cell has no children but its own title (the text) and
// description (the speaker). Both shapes are read.
class ZoomCaptionReader final : public NativeAppCaptionReader {
public:
    struct CaptionRow {
        std::optional<QString> speaker;
        std::optional<QString> text;
    };

    static inline const QString captionTableDescription = QStringLiteral("Closed caption subtitles");
    static constexpr int containerSearchDepth = 40;

    ZoomCaptionReader(const ReaderEnvironment& environment, PIDCache& pidCache,
                      Duration pollInterval = std::chrono::seconds(1));

    // The caption table below `appElement`; the monitor looks for the same marker.
    static std::optional<AXElement> findCaptionTable(Accessibility& ax, const AXElement& appElement);
    QList<CaptionRow> collectCaptionRows(const AXElement& container) const;
    static CaptionSnapshot parseZoomCaptions(const QList<CaptionRow>& rows, const QDateTime& timestamp);

protected:
    std::optional<AXElement> findContainer(const AXElement& appElement) const override;
    CaptionSnapshot extractEntries(const AXElement& container) const override;

private:
    // The picture and the text among a cell's children; nothing when neither is there.
    std::optional<CaptionRow> readCellParts(const QList<AXElement>& parts) const;
    std::optional<CaptionRow> readItemCell(const AXElement& cell) const;
};

} // namespace velmora
