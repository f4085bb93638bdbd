#pragma once

#include <QByteArray>
#include <QCoroTask>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QString>

#include <sys/stat.h>
#include <zip.h>

#include <exception>
#include <optional>

namespace velmora::testing {

// A task's result cannot itself be an exception_ptr (the task keeps one of its own).
struct Failure {
    std::exception_ptr error;
};

inline QCoro::Task<Failure> failureOf(QCoro::Task<> task) {
    try {
        co_await task;
    } catch (...) {
        co_return Failure{std::current_exception()};
    }
    co_return Failure{};
}

// Runs an export to its end; the exception it failed with, if any.
inline std::exception_ptr runExport(QCoro::Task<> task) { return QCoro::waitFor(failureOf(std::move(task))).error; }

template<typename Error>
std::optional<Error> exportError(QCoro::Task<> task) {
    try {
        if (const std::exception_ptr failure = runExport(std::move(task)))
            std::rethrow_exception(failure);
    } catch (const Error& error) {
        return error;
    } catch (...) {
    }
    return std::nullopt;
}

// Permission bits, as `ls -l` shows them.
inline int fileMode(const QString& path) {
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 07777) : -1;
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// The files of a ZIP archive as libzip reads them back (directory entries left out), or nothing
// when it is not a readable archive.
inline std::optional<QMap<QString, QByteArray>> unzip(const QByteArray& archiveBytes) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(archiveBytes.constData(), zip_uint64_t(archiveBytes.size()), 0, &error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error) : nullptr;
    zip_error_fini(&error);
    if (!archive) {
        zip_source_free(source);
        return std::nullopt;
    }
    QMap<QString, QByteArray> files;
    bool complete = true;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        const QString name = QString::fromUtf8(zip_get_name(archive, zip_uint64_t(i), 0));
        if (name.endsWith(u'/'))
            continue;
        zip_stat_t stat;
        zip_file_t* file = zip_stat_index(archive, zip_uint64_t(i), 0, &stat) == 0 ? zip_fopen_index(archive, zip_uint64_t(i), 0) : nullptr;
        if (!file) {
            complete = false;
            continue;
        }
        QByteArray bytes(qsizetype(stat.size), Qt::Uninitialized);
        // Reading to the end also checks each entry's CRC-32.
        complete = complete && zip_fread(file, bytes.data(), stat.size) == zip_int64_t(stat.size);
        char extra;
        complete = complete && zip_fread(file, &extra, 1) == 0;
        zip_fclose(file);
        files.insert(name, bytes);
    }
    zip_discard(archive);
    return complete ? std::optional(files) : std::nullopt;
}

struct ProgramRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs an outside program (Poppler, LibreOffice, the velmora command) to its end.
inline ProgramRun runProgram(const QString& program, const QStringList& arguments,
                             const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
                             int timeoutMs = 60'000) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    ProgramRun run;
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        run.err = process.readAllStandardError() + "\n(did not finish: " + process.errorString().toUtf8() + ")";
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// A document's text with every run of white space (line and page breaks too) as one space.
inline QString collapsedText(const QString& text) { return text.simplified(); }

} // namespace velmora::testing
