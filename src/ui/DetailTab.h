#pragma once

#include <QString>

namespace velmora {

// The tabs of a meeting, in the order shown.
enum class DetailTab { transcript, notes, summary };

namespace DetailTabs {
inline QString rawValue(DetailTab tab) {
    switch (tab) {
    case DetailTab::transcript: return QStringLiteral("transcript");
    case DetailTab::notes: return QStringLiteral("notes");
    case DetailTab::summary: break;
    }
    return QStringLiteral("summary");
}
inline QString title(DetailTab tab) {
    switch (tab) {
    case DetailTab::transcript: return QStringLiteral("Transcript");
    case DetailTab::notes: return QStringLiteral("Notes");
    case DetailTab::summary: break;
    }
    return QStringLiteral("Summary");
}
} // namespace DetailTabs

} // namespace velmora
