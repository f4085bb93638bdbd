#pragma once

#include "summary/SummaryService.h"

namespace velmora {

// Summarises nothing and writes nothing.
class NullSummaryService final : public SummaryService {
public:
    QCoro::Task<std::optional<GeneratedSummary>> generateSummary(QString, std::optional<QString>,
                                                                 SummaryRun) override {
        co_return std::nullopt;
    }
};

} // namespace velmora
