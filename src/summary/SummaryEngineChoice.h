#pragma once

#include <QString>

#include <optional>

namespace velmora {

// Which engine writes summaries: the model when a server answers, else the built-in one
// (`automatic`, stored "auto"); only the model; only the built-in engine.
enum class SummaryEngineChoice { automatic, model, extractive };

namespace SummaryEngineChoices {

inline QString rawValue(SummaryEngineChoice choice) {
    switch (choice) {
    case SummaryEngineChoice::model: return QStringLiteral("model");
    case SummaryEngineChoice::extractive: return QStringLiteral("extractive");
    case SummaryEngineChoice::automatic: break;
    }
    return QStringLiteral("auto");
}

inline std::optional<SummaryEngineChoice> fromRawValue(const QString& raw) {
    for (auto choice : {SummaryEngineChoice::automatic, SummaryEngineChoice::model,
                        SummaryEngineChoice::extractive}) {
        if (raw == rawValue(choice))
            return choice;
    }
    return std::nullopt;
}

} // namespace SummaryEngineChoices

} // namespace velmora
