#pragma once

#include "capture/FileError.h"
#include "capture/TranscriptWriting.h"

namespace velmora {

// A writer that keeps everything in memory and tells what happened to it; its one file gets
// a path when it is created. Creation can be made to fail like a full disk.
class FakeTranscriptWriter final : public TranscriptWriting {
public:
    explicit FakeTranscriptWriter(QString path) : path_(std::move(path)) {}

    QCoro::Task<> setStartTimeIfNeeded(QDateTime date) override {
        if (!startTime)
            startTime = date;
        co_return;
    }
    QCoro::Task<> createMissingFiles() override {
        if (failCreation)
            throw FileError(QStringLiteral("Permission denied"));
        created = true;
        co_return;
    }
    QCoro::Task<> append(QList<CaptionEntry> entries) override {
        written += entries;
        co_return;
    }
    QCoro::Task<> finalize() override {
        ++finalizeCalls;
        writtenWhenFinalized = written.size();
        co_return;
    }
    QCoro::Task<std::optional<QString>> expectedFilename() override {
        co_return path_.section(QLatin1Char('/'), -1);
    }
    QCoro::Task<std::optional<QString>> transcriptPath() override {
        co_return created ? std::optional<QString>(path_) : std::nullopt;
    }

    std::optional<QDateTime> startTime;
    QList<CaptionEntry> written;
    bool failCreation = false;
    bool created = false;
    int finalizeCalls = 0;
    qsizetype writtenWhenFinalized = -1;

private:
    QString path_;
};

} // namespace velmora
