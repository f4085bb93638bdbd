#pragma once

#include <QStringList>
#include <QTextStream>

namespace velmora {

// `velmora replay SNAPSHOTS.jsonl --output-dir DIR [--format markdown|plainText] [--title T]`:
// replays recorded caption snapshots into a transcript. Prints the stop reason and, on the
// last line, the transcript's path. Exit status 0 on success, 2 for bad input (nothing is
// written), 1 when the transcript could not be written completely.
class ReplayCommand {
public:
    // `arguments` start with the word "replay".
    static int run(const QStringList& arguments, QTextStream& out, QTextStream& err);
    // With standard output and standard error.
    static int run(const QStringList& arguments);
};

} // namespace velmora
