#pragma once

#include <QStringList>
#include <QTextStream>

namespace velmora {

// `velmora export SUMMARY.md --format pdf|docx [--output FILE]`: writes a summary file as a PDF
// or DOCX document, by default beside the summary with the extension replaced, and prints the
// document's path. Exit status 0 on success; 2 when the arguments are wrong, the summary cannot be
// read or the document cannot be written (nothing is left at the target then); 1 when the
// document could not be made. The PDF needs a QGuiApplication (offscreen is enough).
class ExportCommand {
public:
    // `arguments` start with the word "export".
    static int run(const QStringList& arguments, QTextStream& out, QTextStream& err);
    // With standard output and standard error.
    static int run(const QStringList& arguments);
};

} // namespace velmora
