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
        written += entries;
        co_return;
    }
    QCoro::Task<> finalize() override {
        auto pass = wait();
        co_await pass;
        ++finalizeCalls;
        writtenWhenFinalized = written.size();
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
    bool createsFile = false;
    bool created = false;
    int finalizeCalls = 0;
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
