#pragma once

#include <QStringList>
#include <QTextStream>

namespace velmora {

// `velmora search QUERY [--json] [--limit N] [--output-dir DIR]`: searches every meeting of
// the output directory (the configured one by default), bringing its index up to date first.
// One result per line (date, source, where, snippet with the matches between "**"; bold on a
// terminal) or a JSON array. Exit status 0 with results, 1 with none, 2 on a bad output
// directory, a history that cannot be read, a query that cannot run or bad arguments.
// Never writes the history or any file of the output directory.
class SearchCommand {
public:
    static constexpr int defaultLimit = 20;
    static constexpr int maxLimit = 10000;

    // `arguments` start with the word "search". `terminal` marks matches with bold text.
    static int run(const QStringList& arguments, QTextStream& out, QTextStream& err, bool terminal = false);
    // With standard output and standard error.
    static int run(const QStringList& arguments);
};

} // namespace velmora
