#pragma once

#include "fakes/CaptionCollector.h"
#include "fakes/ManualClock.h"
#include "fakes/ManualScheduler.h"
#include "harness/BrowserSession.h"
#include "sources/ReaderEnvironment.h"

#include <gtest/gtest.h>

#include <memory>

namespace velmora::e2e {

// The one browser session of this test program, started by the first test that needs it and
// stopped when the program ends (also when a test fails).
BrowserSession& session();

// A test against the real browser: pages are driven by scripts, readers and scanners poll in
// virtual time while their AT-SPI queries run for real on the backend's thread.
class ChromiumTest : public ::testing::Test {
protected:
    BrowserSession& browser = session();
    AtspiAccessibility& ax = browser.accessibility();
    ManualScheduler scheduler;
    ManualClock clock{scheduler};
    ReaderEnvironment env{ax, ax.queue(), scheduler, clock};

    void open(const QString& page) { browser.open(page); }
    void run(const QString& script) { browser.run(script); }
    AXElement app() { return ax.applicationElement(browser.browserPID()); }
};

// Drives one reader poll by poll and keeps what it published.
template <typename Reader>
class ReaderDriver {
public:
    ReaderDriver(const ReaderEnvironment& env, ManualScheduler& scheduler, qint32 pid)
        : scheduler_(scheduler), reader_(std::make_shared<Reader>(env, pid)), collected_(reader_->captions()) {}
    ReaderDriver(ManualScheduler& scheduler, std::shared_ptr<Reader> reader)
        : scheduler_(scheduler), reader_(std::move(reader)), collected_(reader_->captions()) {}

    Reader& reader() { return *reader_; }
    const CaptionCollector& collected() const { return collected_; }

    void start() {
        reader_->startReading();
        waitFor(1);
    }
    // One more poll; false when the stream ended instead.
    bool poll() {
        if (collected_.ended())
            return false;
        const qsizetype before = collected_.count();
        scheduler_.advance(std::chrono::seconds(1));
        waitFor(before + 1);
        return collected_.count() > before;
    }
    // Polls until the lines read "speaker: text" as expected (the browser's tree can trail the
    // page by a frame); returns the last lines read.
    QStringList pollUntil(const QStringList& expected, int maxPolls = 5) {
        QStringList lines = lastLines();
        for (int i = 0; i < maxPolls && lines != expected && poll(); ++i)
            lines = lastLines();
        return lines;
    }
    QStringList lastLines() const {
        QStringList lines;
        for (const CaptionEntry& entry : collected_.last())
            lines.append(entry.speaker + QStringLiteral(": ") + entry.text);
        return lines;
    }

private:
    void waitFor(qsizetype count) {
        BrowserSession::waitUntil([&] { return collected_.count() >= count || collected_.ended(); }, 20000);
    }

    ManualScheduler& scheduler_;
    std::shared_ptr<Reader> reader_;
    CaptionCollector collected_;
};

} // namespace velmora::e2e
