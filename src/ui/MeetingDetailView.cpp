#include "ui/MeetingDetailView.h"

#include "app/AppState.h"
#include "library/DisplayEntry.h"
#include "library/MeetingFormatters.h"
#include "library/MeetingNotesProvider.h"
#include "ui/MarkdownNoteEditor.h"
#include "ui/RelativeFont.h"
#include "ui/Logging.h"
#include "ui/MeetingListDelegate.h"
#include "ui/SourceIcon.h"
#include "ui/SummaryView.h"
#include "ui/TranscriptPanel.h"

#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStringDecoder>
#include <QTabWidget>
#include <QVBoxLayout>

namespace velmora {

namespace {

// The file's text, or nothing when it cannot be read or is not UTF-8.
std::optional<QString> readUtf8(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QPixmap sourcePixmap(CaptionSource source, int side, qreal ratio) {
    QPixmap pixmap(QSize(side, side) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    SourceIcon::paint(painter, QRect(0, 0, side, side), source);
    return pixmap;
}

QLabel* sectionHeading(const QString& text, QWidget* parent) {
    auto* heading = new QLabel(text, parent);
    QFont font = heading->font();
    font.setWeight(QFont::DemiBold);
    heading->setFont(font);
    return heading;
}

} // namespace

MeetingDetailView::MeetingDetailView(MainWindowServices& services, QWidget* parent)
    : QWidget(parent), services_(services),
      notesSaver_(services.scheduler, services.notes, services.updateRecord) {
    tabs_ = new QTabWidget(this);
    tabs_->setAccessibleName(QStringLiteral("Meeting tabs"));
    tabs_->setDocumentMode(true);
    transcriptPanel_ = new TranscriptPanel(store_, tabs_);
    tabs_->addTab(transcriptPanel_, DetailTabs::title(DetailTab::transcript));
    tabs_->addTab(buildNotesTab(), DetailTabs::title(DetailTab::notes));
    summaryView_ = new SummaryView(tabs_);
    connect(summaryView_, &SummaryView::generateRequested, this, &MeetingDetailView::summarize);
    tabs_->addTab(summaryView_, DetailTabs::title(DetailTab::summary));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildHeader());
    layout->addWidget(tabs_, 1);

    AppState& state = services_.appState;
    connect(&state, &AppState::liveTranscriptEntriesChanged, this, &MeetingDetailView::syncLive);
    connect(&state, &AppState::currentLiveMeetingIDChanged, this, &MeetingDetailView::onLiveMeetingChanged);
    connect(&state, &AppState::summaryGeneratingMeetingIDChanged, this, &MeetingDetailView::onGeneratingChanged);
    connect(&state, &AppState::summaryProgressChanged, this, &MeetingDetailView::refreshSummaryState);
    connect(&state, &AppState::sessionDurationChanged, this, [this] {
        if (isLive())
            liveDuration_->setText(services_.appState.formattedDuration());
    });
    connect(&state, &AppState::captionSourceNameChanged, this, &MeetingDetailView::refreshHeader);
    connect(&store_, &TranscriptStore::entriesReset, this, &MeetingDetailView::actionsChanged);
    connect(&store_, &TranscriptStore::entriesAppended, this, &MeetingDetailView::actionsChanged);
}

MeetingDetailView::~MeetingDetailView() { leave(); }

void MeetingDetailView::changeEvent(QEvent* event) {
    if (title_ && (event->type() == QEvent::FontChange || event->type() == QEvent::ApplicationFontChange)) {
        title_->setFont(relativeFont(titleScale));
        refreshHeader(); // the mark is sized by the title
    }
    QWidget::changeEvent(event);
}

QWidget* MeetingDetailView::buildHeader() {
    auto* header = new QWidget(this);
    sourceIcon_ = new QLabel(header);
    title_ = new QLabel(header);
    title_->setAccessibleName(QStringLiteral("Meeting name"));
    title_->setFont(relativeFont(titleScale));
    dateLine_ = new QLabel(header);
    dateLine_->setAccessibleName(QStringLiteral("Meeting date and duration"));
    recordingBadge_ = new QLabel(QStringLiteral("Recording"), header);
    recordingBadge_->setAccessibleName(QStringLiteral("Recording"));
    recordingBadge_->setStyleSheet(
        QStringLiteral("QLabel { background: %1; color: white; border-radius: 8px; padding: 1px 8px; "
                       "font-weight: bold; }")
            .arg(MeetingListDelegate::recordingColour().name()));
    liveDuration_ = new QLabel(header);
    liveDuration_->setAccessibleName(QStringLiteral("Recording duration"));

    auto* text = new QVBoxLayout;
    text->setSpacing(2);
    text->addWidget(title_);
    text->addWidget(dateLine_);
    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(sourceIcon_, 0, Qt::AlignTop);
    layout->addLayout(text, 1);
    layout->addWidget(liveDuration_);
    layout->addWidget(recordingBadge_);
    return header;
}

QWidget* MeetingDetailView::buildNotesTab() {
    auto* page = new QWidget(tabs_);
    notesEditor_ = new MarkdownNoteEditor(page);
    notesEditor_->setPlaceholderText(QStringLiteral("Meeting notes..."));
    notesEditor_->setAccessibleName(QStringLiteral("Meeting notes editor"));
    connect(notesEditor_, &QPlainTextEdit::textChanged, this,
            [this] { notesSaver_.edited(notesEditor_->toPlainText()); });
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 8, 0, 0);
    layout->addWidget(sectionHeading(QStringLiteral("Notes"), page), 0, Qt::AlignHCenter);
    layout->addWidget(notesEditor_);
    return page;
}

void MeetingDetailView::showMeeting(const MeetingRecord& record) {
    if (record_ && record_->id == record.id) {
        const bool summaryMoved = record_->summaryPath != record.summaryPath;
        // The notes file may have been recorded meanwhile; keep what the saver knows.
        record_ = record;
        refreshHeader();
        if (summaryMoved && !isGenerating())
            loadSummary();
        return;
    }
    leave();
    record_ = record;
    wasLive_ = isLive();
    wasGenerating_ = isGenerating();
    const QString notes = services_.notes.loadNotes(record);
    notesSaver_.begin(record, notes);
    {
        const QSignalBlocker quiet(notesEditor_);
        notesEditor_->setPlainText(notes);
    }
    refreshHeader();
    loadTranscript();
    loadSummary();
    emit actionsChanged();
}

void MeetingDetailView::leave() {
    notesSaver_.leave();
    transcriptRead_.cancel();
    summaryRead_.cancel();
    record_.reset();
    pendingEntry_.reset();
    summaryText_.reset();
}

void MeetingDetailView::discard() {
    notesSaver_.discard();
    leave();
}

bool MeetingDetailView::isLive() const {
    const auto live = services_.appState.currentLiveMeetingID();
    return record_ && live && *live == record_->id;
}

bool MeetingDetailView::isGenerating() const {
    const auto generating = services_.appState.summaryGeneratingMeetingID();
    return record_ && generating && *generating == record_->id;
}

QString MeetingDetailView::headerTitle() const { return title_->text(); }

void MeetingDetailView::refreshHeader() {
    if (!record_)
        return;
    const bool live = isLive();
    QString name = SourceIcon::applicationName(record_->source);
    if (live) {
        name = services_.appState.captionSourceName();
        if (name.isEmpty())
            name = QStringLiteral("Live Meeting");
    }
    title_->setText(name);
    const int side = title_->fontMetrics().height() * 2;
    sourceIcon_->setPixmap(sourcePixmap(record_->source, side, devicePixelRatioF()));
    sourceIcon_->setAccessibleName(SourceIcon::applicationName(record_->source));
    QString date = MeetingFormatters::formatDate(record_->date, QDateTime::currentDateTime());
    if (!live)
        date += QStringLiteral(" · ") + MeetingFormatters::formatDuration(record_->duration);
    dateLine_->setText(date);
    recordingBadge_->setVisible(live);
    liveDuration_->setVisible(live);
    liveDuration_->setText(services_.appState.formattedDuration());
    refreshSummaryState();
}

void MeetingDetailView::loadTranscript() {
    transcriptRead_.cancel();
    if (isLive()) {
        const auto live = services_.appState.liveTranscriptEntries();
        store_.setEntries(DisplayEntry::fromLive(live));
        lastSyncedEntryCount_ = live.size();
        showPendingEntry();
        emit transcriptLoaded();
        return;
    }
    store_.setEntries({});
    lastSyncedEntryCount_ = 0;
    if (!record_->transcriptPath) {
        emit transcriptLoaded();
        return;
    }
    const QString path = *record_->transcriptPath;
    transcriptRead_.start<QList<DisplayEntry>>(
        [path] {
            const auto text = readUtf8(path);
            if (!text)
                qCWarning(lcWindow, "Cannot read transcript %s", qUtf8Printable(path));
            return text ? DisplayEntry::fromMarkdown(*text) : QList<DisplayEntry>();
        },
        [this](QList<DisplayEntry> entries) {
            store_.setEntries(entries);
            showPendingEntry();
            emit transcriptLoaded();
        });
}

void MeetingDetailView::loadSummary() {
    summaryRead_.cancel();
    summaryText_.reset();
    refreshSummaryState();
    if (!record_ || !record_->summaryPath) {
        emit summaryLoaded();
        return;
    }
    const QString path = *record_->summaryPath;
    summaryRead_.start<std::optional<QString>>([path] { return readUtf8(path); },
                                               [this](std::optional<QString> text) {
                                                   summaryText_ = std::move(text);
                                                   refreshSummaryState();
                                                   emit summaryLoaded();
                                               });
}

void MeetingDetailView::refreshSummaryState() {
    if (!record_)
        return;
    if (isGenerating())
        summaryView_->showProgress(services_.appState.summaryProgress());
    else if (summaryText_)
        summaryView_->setSummary(*summaryText_);
    else
        summaryView_->clear(isLive());
}

void MeetingDetailView::syncLive() {
    if (!isLive())
        return;
    const QList<CaptionEntry> live = services_.appState.liveTranscriptEntries();
    const qsizetype shown = store_.count();
    if (live.size() < shown) {
        // Entries were taken back: rare, so the list is simply rebuilt.
        store_.setEntries(DisplayEntry::fromLive(live));
        lastSyncedEntryCount_ = live.size();
        return;
    }
    // Blocks still being spoken change in place; texts shared with the store compare at once.
    const auto& entries = store_.entries();
    for (qsizetype i = 0; i < shown; ++i) {
        if (entries[i].text != live[i].text || entries[i].speaker != live[i].speaker)
            store_.patch(i, DisplayEntry::fromLive(live[i], i));
    }
    if (live.size() > shown) {
        QList<DisplayEntry> added;
        added.reserve(live.size() - shown);
        for (qsizetype i = shown; i < live.size(); ++i)
            added.append(DisplayEntry::fromLive(live[i], i));
        store_.append(added);
    }
    lastSyncedEntryCount_ = live.size();
}

void MeetingDetailView::onLiveMeetingChanged() {
    if (!record_)
        return;
    const bool live = isLive();
    if (live != wasLive_) {
        wasLive_ = live;
        // Going live shows the live blocks; a finished meeting shows what was saved.
        loadTranscript();
    }
    refreshHeader();
    emit actionsChanged();
}

void MeetingDetailView::onGeneratingChanged() {
    const bool generating = isGenerating();
    if (wasGenerating_ && !generating)
        loadSummary();
    wasGenerating_ = generating;
    refreshSummaryState();
    emit actionsChanged();
}

DetailTab MeetingDetailView::tab() const { return DetailTab(tabs_->currentIndex()); }

void MeetingDetailView::setTab(DetailTab tab) { tabs_->setCurrentIndex(int(tab)); }

void MeetingDetailView::showEntry(int utterance) {
    setTab(DetailTab::transcript);
    pendingEntry_ = utterance;
    showPendingEntry();
}

bool MeetingDetailView::showPendingEntry() {
    if (!pendingEntry_)
        return false;
    const qsizetype block = DisplayEntry::blockOfUtterance(store_.entries(), *pendingEntry_);
    if (block < 0 || !transcriptPanel_->showEntry(int(block)))
        return false;
    pendingEntry_.reset();
    return true;
}

QString MeetingDetailView::transcriptText() const {
    QStringList lines;
    lines.reserve(store_.count());
    for (const DisplayEntry& entry : store_.entries())
        lines.append(QStringLiteral("%1 [%2]: %3").arg(entry.speaker, entry.timestamp, entry.text));
    return lines.join(QLatin1Char('\n'));
}

void MeetingDetailView::summarize() {
    if (!record_ || isLive() || isGenerating() || !services_.summarizeMeeting)
        return;
    // What is in the editor counts, saved or not.
    notesSaver_.flush();
    services_.summarizeMeeting(*record_, notesEditor_->toPlainText());
}

} // namespace velmora
