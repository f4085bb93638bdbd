#include "platform/linux/ProbeReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace velmora {

QByteArray ProbeReport::toJson() const {
    QJsonArray browserList;
    for (const Browser& browser : browsers) {
        QJsonArray sourceList;
        for (const Source& source : browser.sources) {
            QJsonArray lineList;
            for (const Line& line : source.lines)
                lineList.append(QJsonObject{{QStringLiteral("speaker"), line.speaker},
                                            {QStringLiteral("text"), line.text}});
            QJsonObject entry{{QStringLiteral("source"), CaptionSources::rawValue(source.source)},
                              {QStringLiteral("lines"), lineList},
                              {QStringLiteral("areaFound"), source.areaFound}};
            if (!source.shape.isEmpty())
                entry.insert(QStringLiteral("shape"), source.shape);
            sourceList.append(entry);
        }
        browserList.append(QJsonObject{{QStringLiteral("pid"), browser.pid},
                                       {QStringLiteral("identifier"), browser.identifier},
                                       {QStringLiteral("exposesWeb"), browser.exposesWeb},
                                       {QStringLiteral("sources"), sourceList}});
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("accessibilityEnabled"), accessibilityEnabled},
                                     {QStringLiteral("browsers"), browserList}})
        .toJson(QJsonDocument::Indented);
}

QString ProbeReport::toText() const {
    QStringList out;
    out.append(accessibilityEnabled
                   ? QStringLiteral("Accessibility: on")
                   : QStringLiteral("Accessibility: off. Turn on assistive technologies (velmora "
                                    "--enable-accessibility), then restart your browsers."));
    if (browsers.isEmpty())
        out.append(QStringLiteral("No supported browser is running."));
    for (const Browser& browser : browsers) {
        const QString name = QStringLiteral("%1 (PID %2)").arg(browser.identifier).arg(browser.pid);
        if (!browser.registered) {
            out.append(QStringLiteral("%1: not registered with the accessibility bus. It was started before "
                                      "accessibility was turned on; restart it so its meetings can be captured.")
                           .arg(name));
            continue;
        }
        if (!browser.exposesWeb) {
            out.append(QStringLiteral("%1: registered, but shows no web content (no page open, or it is still "
                                      "building its tree; try again in a moment).")
                           .arg(name));
            continue;
        }
        out.append(QStringLiteral("%1: web content exposed; %2")
                       .arg(name, browser.sources.isEmpty() ? QStringLiteral("no captions found")
                                                            : QStringLiteral("captions found")));
        for (const Source& source : browser.sources) {
            out.append(QStringLiteral("  %1 (%2): %3 line(s)")
                           .arg(CaptionSources::displayName(source.source), CaptionSources::rawValue(source.source))
                           .arg(source.lines.size()));
            for (const Line& line : source.lines)
                out.append(QStringLiteral("    %1: %2").arg(line.speaker, line.text));
            if (source.lines.isEmpty())
                out.append(source.areaFound
                               ? QStringLiteral("    caption area found, but no line read from it; its shape "
                                                "(please include it when you report this):\n    %1")
                                     .arg(source.shape)
                               : QStringLiteral("    caption area not found by the reader"));
        }
    }
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace velmora
