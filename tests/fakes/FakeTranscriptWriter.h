#pragma once

#include "capture/FileError.h"
#include "capture/TranscriptWriting.h"
#include "fakes/HeldCalls.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace velmora {

// A writer that keeps everything in memory and tells what happened to it; its one file gets
// a path when it is created (and, with `createsFile`, an empty file on disk). Creation can be
// made to fail like a full disk; with `held`, its calls wait like a slow disk.
class FakeTranscriptWriter final : public TranscriptWriting {
public:
    explicit FakeTranscriptWriter(QString path) : path_(std::move(path)) {}

    QCoro::Task<> setStartTimeIfNeeded(QDateTime date) override {
        auto pass = wait();
        co_await pass;
        if (!startTime)
            startTime = date;
    }
    QCoro::Task<> createMissingFiles() override {
        auto pass = wait();
        co_await pass;
        if (failCreation)
            throw FileError(QStringLiteral("Permission denied"));
        if (createsFile && !created) {
            QFile file(path_);
            if (!file.open(QIODevice::WriteOnly))
                throw FileError(file.errorString());
        }
        created = true;
    }
    QCoro::Task<> append(QList<CaptionEntry> entries) override {
        if (refusesWrites)
            throw FileError(QStringLiteral("Read-only file system"));
        if (diskFull)
            throw FileError(QStringLiteral("No space left on device"));
        written += entries;
        co_return;
    }
    QCoro::Task<> finalize() override {
        auto pass = wait();
        co_await pass;
        ++finalizeAttempts;
        if (refusesWrites)
            throw FileError(QStringLiteral("Read-only file system"));
        ++finalizeCalls;
        writtenWhenFinalized = written.size();
    }
    // Keeps the salvaged entries; the file goes to the last directory offered.
    QCoro::Task<std::optional<QString>> salvage(QList<CaptionEntry> unsaved, QStringList directories) override {
        salvaged += unsaved;
        salvageDirectories = directories;
        co_return directories.last() + QStringLiteral("/salvaged.md");
    }
    QCoro::Task<std::optional<QString>> expectedFilename() override {
        co_return path_.section(QLatin1Char('/'), -1);
    }
    QCoro::Task<std::optional<QString>> transcriptPath() override {
        co_return created ? std::optional<QString>(path_) : std::nullopt;
    }

    QString path() const { return path_; }

    std::optional<QDateTime> startTime;
    QList<CaptionEntry> written;
    bool failCreation = false;
    // Appends and finalisation fail like an unwritable folder while set.
    bool refusesWrites = false;
    // Appends fail like a full disk while set; finalisation, a rewrite in place, still works.
    bool diskFull = false;
    QList<CaptionEntry> salvaged;
    QStringList salvageDirectories;
    bool createsFile = false;
    bool created = false;
    int finalizeCalls = 0; // successful ones
    int finalizeAttempts = 0;
    qsizetype writtenWhenFinalized = -1;
    HeldCalls* held = nullptr;

private:
    HeldCalls::Awaiter wait() {
        static HeldCalls open;
        return held ? held->pass() : open.pass();
    }

    QString path_;
};

} // namespace velmora
