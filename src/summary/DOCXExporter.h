#pragma once

#include "summary/MeetingSummary.h"
#include "summary/SummaryExporter.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace velmora {

// Writes a summary as a minimal WordprocessingML document: a title and four sections, each a
// bold heading followed by one paragraph per item. The ZIP container is packed in memory.
class DOCXExporter : public SummaryExporter {
public:
    struct Part {
        QString path; // inside the package
        QByteArray bytes;
    };

    QCoro::Task<> exportPDF(QString from, QString to) override;
    QCoro::Task<> exportDOCX(QString from, QString to) override;

    // The package's parts in the order they are stored.
    static QList<Part> parts(const MeetingSummary& summary);
    static QByteArray documentXML(const MeetingSummary& summary);
    // The whole .docx file; `ExportError::zipCreationFailed` when the container cannot be packed.
    static QByteArray buildDOCX(const MeetingSummary& summary);
};

} // namespace velmora
