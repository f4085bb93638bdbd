#pragma once

#include <QWidget>

class QListView;

namespace velmora {

class TranscriptEntryDelegate;
class TranscriptListModel;
class TranscriptStore;

// The "Transcript" tab: a lazily laid out list of speaker blocks. Blocks can be selected
// (Shift/Ctrl for several) and copied with Ctrl+C or the context menu's "Copy" as
// "[time] speaker: text" lines.
class TranscriptPanel final : public QWidget {
    Q_OBJECT
public:
    explicit TranscriptPanel(TranscriptStore& store, QWidget* parent = nullptr);

    QListView* list() const { return list_; }
    // The text "Copy" puts on the clipboard: the selected blocks, one per line.
    QString selectedText() const;
    void copySelection() const;
    // Scrolls to a block, selects it and gives it focus; false when there is no such block.
    bool showEntry(int ordinal);

private:
    void showContextMenu(const QPoint& position);

    TranscriptListModel* model_;
    QListView* list_;
    TranscriptEntryDelegate* delegate_;
};

} // namespace velmora
