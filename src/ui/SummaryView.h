#pragma once

#include "summary/SummaryService.h"

#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QProgressBar;
class QPushButton;
class QStackedLayout;
class QTextBrowser;

namespace velmora {

// The summary tab of a meeting. Shows one of four states:
//  - the summary: each "## " section's heading, its "- " items as a bulleted list and its other
//    lines as paragraphs, inline Markdown (bold, italics, code, links) rendered; raw HTML in the
//    file is shown as text and only web and mail links are opened;
//  - progress: "Generating summary..." with the chunk being summarised;
//  - an error text;
//  - empty: "No summary yet" with a "Generate Summary" button (or, for a live meeting, the text
//    that summaries come after the meeting).
// Reading the file is the caller's business: hand the Markdown text in. Main thread.
class SummaryView final : public QWidget {
    Q_OBJECT
public:
    explicit SummaryView(QWidget* parent = nullptr);

    // Shows the summary Markdown as stored in the meeting's "-summary.md" file.
    void setSummary(const QString& markdown);
    // Shows "Generating summary..." and, once known, "Part k of n" or "Combining the parts".
    // Pass AppState::summaryProgress(); nullopt shows the running state without a part.
    void showProgress(const std::optional<SummaryProgress>& progress);
    // Shows `message` in place of the summary (e.g. a file that could not be read).
    void showError(const QString& message);
    // Back to the empty state. `live`: the meeting is still being recorded, so no button.
    void clear(bool live = false);

    enum class State { empty, summary, progress, error };
    State state() const { return state_; }
    // The rendered summary as plain text, and the text of the status line (for tests).
    QString summaryText() const;
    QString statusText() const;
    // Where activated links go; QDesktopServices::openUrl by default.
    void setLinkOpener(std::function<void(const QUrl&)> open) { openLink_ = std::move(open); }

signals:
    // The user pressed "Generate Summary".
    void generateRequested();

protected:
    void changeEvent(QEvent* event) override;

private:
    void showState(State state);
    void openLink(const QUrl& url);
    void applyFonts();

    State state_ = State::empty;
    QString markdown_;
    std::function<void(const QUrl&)> openLink_;
    QStackedLayout* pages_;
    QTextBrowser* browser_;
    QLabel* progressLabel_;
    QLabel* progressDetail_;
    QProgressBar* progressBar_;
    QLabel* errorLabel_;
    QLabel* emptyTitle_;
    QLabel* emptyText_;
    QPushButton* generateButton_;
};

} // namespace velmora
