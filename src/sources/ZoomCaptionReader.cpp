#include "sources/ZoomCaptionReader.h"

#include "sources/ApplicationIdentifiers.h"
#include "sources/AXHelpers.h"
#include "sources/AXNames.h"
#include "sources/Logging.h"

namespace velmora {

ZoomCaptionReader::ZoomCaptionReader(const ReaderEnvironment& environment, PIDCache& pidCache,
                                     Duration pollInterval)
    : NativeAppCaptionReader(environment, pidCache, pollInterval, lcZoomReader(), CaptionSource::zoom,
                             QStringLiteral("Zoom"), ApplicationIdentifiers::zoomBundleIDs(),
                             captionTableDescription) {}

std::optional<AXElement> ZoomCaptionReader::findCaptionTable(Accessibility& ax,
                                                             const AXElement& appElement) {
    return AXHelpers::findByRoleAndDescription(ax, appElement, AXRole::table,
                                               captionTableDescription, 0, containerSearchDepth);
}

std::optional<AXElement> ZoomCaptionReader::findContainer(const AXElement& appElement) const {
    return findCaptionTable(env_.accessibility, appElement);
}

QList<ZoomCaptionReader::CaptionRow>
ZoomCaptionReader::collectCaptionRows(const AXElement& container) const {
    Accessibility& ax = env_.accessibility;
    QList<CaptionRow> rows;
    auto add = [&](const std::optional<CaptionRow>& row) {
        if (row)
            rows.append(*row);
    };
    for (const AXElement& child : AXHelpers::children(ax, container)) {
        const std::optional<QString> role = AXHelpers::role(ax, child);
        if (role == AXRole::row) {
            for (const AXElement& cell : AXHelpers::children(ax, child)) {
                if (AXHelpers::role(ax, cell) == AXRole::cell)
                    add(readCellParts(AXHelpers::children(ax, cell)));
            }
        } else if (role == AXRole::cell) {
            // A Qt table: cells straight under the table, an item cell without children.
            const QList<AXElement> parts = AXHelpers::children(ax, child);
            add(parts.isEmpty() ? readItemCell(child) : readCellParts(parts));
        }
    }
    return rows;
}

std::optional<ZoomCaptionReader::CaptionRow>
ZoomCaptionReader::readCellParts(const QList<AXElement>& parts) const {
    Accessibility& ax = env_.accessibility;
    CaptionRow row;
    for (const AXElement& part : parts) {
        const std::optional<QString> role = AXHelpers::role(ax, part);
        if (role == AXRole::image)
            row.speaker = AXHelpers::description(ax, part);
        else if (role == AXRole::staticText)
            row.text = AXHelpers::stringValue(ax, part);
    }
    if (!row.speaker && !row.text)
        return std::nullopt;
    return row;
}

std::optional<ZoomCaptionReader::CaptionRow> ZoomCaptionReader::readItemCell(const AXElement& cell) const {
    // Its title is the text; its description is the speaker, as a picture's would be.
    Accessibility& ax = env_.accessibility;
    CaptionRow row{AXHelpers::description(ax, cell), AXHelpers::title(ax, cell)};
    if (!row.text || row.text->isEmpty())
        return std::nullopt;
    return row;
}

CaptionSnapshot ZoomCaptionReader::parseZoomCaptions(const QList<CaptionRow>& rows,
                                                     const QDateTime& timestamp) {
    CaptionSnapshot entries;
    for (const CaptionRow& row : rows) {
        if (!row.text || row.text->isEmpty())
            continue;
        const QString speaker =
            row.speaker && !row.speaker->isEmpty() ? *row.speaker : QStringLiteral("Unknown");
        entries.append(CaptionEntry{timestamp, speaker, *row.text});
    }
    return entries;
}

CaptionSnapshot ZoomCaptionReader::extractEntries(const AXElement& container) const {
    const QList<CaptionRow> rows = collectCaptionRows(container);
    return parseZoomCaptions(rows, env_.clock.now());
}

} // namespace velmora
