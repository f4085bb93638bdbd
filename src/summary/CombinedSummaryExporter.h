#pragma once

#include "summary/DOCXExporter.h"
#include "summary/PDFExporter.h"

namespace velmora {

// The exporter the application holds: each format goes to its own exporter.
class CombinedSummaryExporter : public SummaryExporter {
public:
    QCoro::Task<> exportPDF(QString from, QString to) override;
    QCoro::Task<> exportDOCX(QString from, QString to) override;

private:
    PDFExporter pdfExporter_;
    DOCXExporter docxExporter_;
};

} // namespace velmora
