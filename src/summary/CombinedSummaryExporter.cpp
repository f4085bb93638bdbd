#include "summary/CombinedSummaryExporter.h"

namespace velmora {

QCoro::Task<> CombinedSummaryExporter::exportPDF(QString from, QString to) {
    auto exporting = pdfExporter_.exportPDF(std::move(from), std::move(to));
    co_await exporting;
}

QCoro::Task<> CombinedSummaryExporter::exportDOCX(QString from, QString to) {
    auto exporting = docxExporter_.exportDOCX(std::move(from), std::move(to));
    co_await exporting;
}

} // namespace velmora
