#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace velmora {

// Why an export failed, apart from the file errors of reading the summary and writing the
// destination (those are `FileError`s).
class ExportError : public std::exception {
public:
    enum class Kind {
        unsupportedFormat, // an exporter was asked for the other format
        zipCreationFailed, // the DOCX container could not be packed
        pdfCreationFailed, // the PDF document could not be drawn
    };

    static ExportError unsupportedFormat(QString message) { return {Kind::unsupportedFormat, std::move(message)}; }
    static ExportError zipCreationFailed(const QString& reason) {
        return {Kind::zipCreationFailed, QStringLiteral("Could not pack the DOCX document: %1").arg(reason)};
    }
    static ExportError pdfCreationFailed() {
        return {Kind::pdfCreationFailed, QStringLiteral("Could not create the PDF document")};
    }

    Kind kind() const { return kind_; }
    QString message() const { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    ExportError(Kind kind, QString message)
        : kind_(kind), message_(std::move(message)), utf8_(message_.toUtf8()) {}

    Kind kind_;
    QString message_;
    QByteArray utf8_;
};

} // namespace velmora
