#pragma once

#include <QCoroTask>
#include <QString>

namespace velmora {

// Writes a stored summary file (`from`) as a document at `to`. The destination is replaced as a
// whole, and only once the document is complete. Failures are thrown: `FileError` for reading
// the summary or writing the destination, `ExportError` for everything else.
class SummaryExporter {
public:
    virtual ~SummaryExporter() = default;

    virtual QCoro::Task<> exportPDF(QString from, QString to) = 0;
    virtual QCoro::Task<> exportDOCX(QString from, QString to) = 0;
};

} // namespace velmora
