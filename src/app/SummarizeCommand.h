#pragma once

#include <QStringList>
#include <QTextStream>

#include <functional>

namespace velmora {

class Scheduler;

// `velmora summarize TRANSCRIPT [--notes FILE] [--engine auto|model|extractive]
// [--model-url URL] [--model NAME]`: writes the summary beside the transcript and prints its
// path; standard error says which engine wrote it (and, on a terminal, the chunk being
// summarised). Exit status 0 on success, 1 when `--engine model` gave no summary, 2 when the
// transcript or notes cannot be read or the summary cannot be written (nothing written).
class SummarizeCommand {
public:
    // `arguments` start with the word "summarize". Engine settings not given on the command
    // line come from the user's settings.
    static int run(const QStringList& arguments, QTextStream& out, QTextStream& err,
                   Scheduler& scheduler, bool progressOnTerminal);
    // With standard output and standard error, the user's settings and real timers.
    static int run(const QStringList& arguments);
};

} // namespace velmora
