#pragma once

#include "summary/MeetingSummary.h"
#include "summary/SummaryExporter.h"

#include <QString>

#include <memory>

class QIODevice;
class QTextDocument;
class QPagedPaintDevice;

namespace velmora {

// Writes a summary as a paginated PDF on US Letter pages with one-inch margins: a bold title and
// four sections of bullet items, as real (selectable) text with the fonts embedded. Every page the
// text needs is written. Needs a QGuiApplication (the offscreen platform will do).
class PDFExporter : public SummaryExporter {
public:
    QCoro::Task<> exportPDF(QString from, QString to) override;
    QCoro::Task<> exportDOCX(QString from, QString to) override;

    // The styled text, laid out against `device`: one paragraph per element.
    static std::unique_ptr<QTextDocument> styledText(const MeetingSummary& summary, QPagedPaintDevice& device);
    // Writes the whole .pdf file to `output`; `ExportError::pdfCreationFailed` when it cannot.
    static void render(const MeetingSummary& summary, QIODevice& output);
};

} // namespace velmora
