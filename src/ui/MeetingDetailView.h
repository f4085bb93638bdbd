#pragma once

#include "library/MeetingRecord.h"
#include "library/TranscriptStore.h"
#include "ui/DetailTab.h"
#include "ui/LatestRead.h"
#include "ui/MainWindowServices.h"
#include "ui/NotesAutoSaver.h"

#include <QWidget>

#include <optional>

class QLabel;
class QPlainTextEdit;
class QTabWidget;

namespace velmora {

class SummaryView;
class TranscriptPanel;

// One meeting: its header, and the tabs "Transcript", "Notes" and "Summary". A finished
// meeting's transcript and summary are read off the main thread; the live meeting's transcript
// follows the application state block by block. Notes are saved a second after the last edit
// and when another meeting is shown or the view goes.
class MeetingDetailView final : public QWidget {
    Q_OBJECT
public:
    MeetingDetailView(MainWindowServices& services, QWidget* parent = nullptr);
    ~MeetingDetailView() override;

    // Shows `record`. The same meeting again only takes its new fields (duration, summary).
    void showMeeting(const MeetingRecord& record);
    // Saves the notes and shows nothing.
    void leave();
    // Shows nothing, dropping unsaved notes: the meeting is being deleted, and a notes file
    // written now would outlive it.
    void discard();
    std::optional<MeetingRecord> record() const { return record_; }

    DetailTab tab() const;
    void setTab(DetailTab tab);
    // Selects the block holding the file's utterance with that ordinal (as search results count
    // them) once the transcript is there: now, or when its file has been read.
    void showEntry(int utterance);

    bool isLive() const;
    bool isGenerating() const;
    // The whole transcript, "speaker [time]: text" per line.
    QString transcriptText() const;
    void summarize();
    void saveNotesNow() { notesSaver_.flush(); }

    TranscriptStore& transcriptStore() { return store_; }
    TranscriptPanel* transcriptPanel() const { return transcriptPanel_; }
    QPlainTextEdit* notesEditor() const { return notesEditor_; }
    SummaryView* summaryView() const { return summaryView_; }
    QString headerTitle() const;

signals:
    void transcriptLoaded();
    void summaryLoaded();
    // Live state, summary state or the transcript changed: toolbar actions may change.
    void actionsChanged();

protected:
    void changeEvent(QEvent* event) override;

private:
    static constexpr double titleScale = 1.4;

    QWidget* buildHeader();
    QWidget* buildNotesTab();
    void loadTranscript();
    void loadSummary();
    void syncLive();
    void refreshHeader();
    void refreshSummaryState();
    void onLiveMeetingChanged();
    void onGeneratingChanged();

    MainWindowServices& services_;
    std::optional<MeetingRecord> record_;
    TranscriptStore store_;
    qsizetype lastSyncedEntryCount_ = 0;
    bool wasLive_ = false;
    bool wasGenerating_ = false;
    bool showPendingEntry();

    std::optional<int> pendingEntry_; // an utterance ordinal
    std::optional<QString> summaryText_;
    LatestRead transcriptRead_;
    LatestRead summaryRead_;
    NotesAutoSaver notesSaver_;

    QLabel* sourceIcon_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* dateLine_ = nullptr;
    QLabel* recordingBadge_ = nullptr;
    QLabel* liveDuration_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    TranscriptPanel* transcriptPanel_ = nullptr;
    QPlainTextEdit* notesEditor_ = nullptr;
    SummaryView* summaryView_ = nullptr;
};

} // namespace velmora
