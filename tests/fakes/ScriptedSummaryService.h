#pragma once

#include "capture/FileError.h"
#include "capture/Scheduler.h"
#include "summary/LanguageModelError.h"
#include "summary/SummaryService.h"

#include <QStringList>

namespace velmora {

// A summary service that takes `delay` of virtual time, reports one chunk of progress, and
// then answers as scripted: a summary file beside the transcript, none, or a file error.
class ScriptedSummaryService final : public SummaryService {
public:
    enum class Outcome { summary, none, fileError };

    explicit ScriptedSummaryService(Scheduler& scheduler) : scheduler_(scheduler) {}

    Outcome outcome = Outcome::summary;
    Duration delay = std::chrono::seconds(10);
    QStringList started;
    int cancelled = 0;

    QCoro::Task<std::optional<GeneratedSummary>> generateSummary(QString transcriptPath,
                                                                 std::optional<QString>,
                                                                 SummaryRun run) override {
        started.append(transcriptPath);
        run.report({1, 2, false});
        auto waiting = scheduler_.sleep(delay, run.cancel);
        if (!co_await waiting) {
            ++cancelled;
            throw LanguageModelError(LanguageModelError::Kind::cancelled, QStringLiteral("cancelled"));
        }
        run.report({2, 2, true});
        if (outcome == Outcome::fileError)
            throw FileError(QStringLiteral("Cannot read %1: No such file or directory").arg(transcriptPath));
        if (outcome == Outcome::none)
            co_return std::nullopt;
        QString path = transcriptPath;
        path.replace(QStringLiteral(".md"), QStringLiteral("-summary.md"));
        co_return GeneratedSummary{path, SummaryEngine::extractive, QStringLiteral("extractive engine")};
    }

private:
    Scheduler& scheduler_;
};

} // namespace velmora
