#include "SettingsPageFixture.h"

#include "ui/MarkdownNoteEditor.h"
#include "ui/SummaryView.h"

#include <QDir>
#include <QImage>
#include <QPixmap>

namespace velmora {
namespace {

// Renders the pages offscreen, checks that the appearance really reaches the pixels, and keeps
// the pictures: in $VELMORA_SCREENSHOT_DIR when set (docs/screenshots for the README), else in
// a temporary folder.
class ScreenshotTest : public SettingsPageFixture {
protected:
    QTemporaryDir scratch;

    QString folder() const {
        const QString chosen = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
        return chosen.isEmpty() ? scratch.path() : chosen;
    }
    QImage save(QWidget& widget, const QString& name) {
        widget.show();
        QApplication::processEvents();
        const QImage image = widget.grab().toImage();
        QDir().mkpath(folder());
        EXPECT_TRUE(image.save(QDir(folder()).filePath(name)));
        return image;
    }
    // Mean lightness of the widget's rendering, 0 (black) to 255 (white).
    static double lightness(const QImage& image) {
        double sum = 0;
        int count = 0;
        for (int y = 0; y < image.height(); y += 7) {
            for (int x = 0; x < image.width(); x += 7) {
                sum += QColor(image.pixel(x, y)).lightness();
                ++count;
            }
        }
        return count ? sum / count : 0;
    }
};

const QString notes = QStringLiteral(R"(# Launch review

## Decisions
- Ship the **beta** on *Friday*
- Keep `release_notes.md` short
1. Freeze the branch
2. Tag the build

> Marta: the installer needs one more pass.

- [x] Book the demo room
- [ ] Send the ~~draft~~ final agenda

---

```
./scripts/build && ./scripts/test
```
)");

const QString summary = QStringLiteral(R"(# Meeting Summary

## Topics
- Beta launch date and the **installer** review
- Support rota for the first week

## Action Items
- Marta: finish the installer pass by *Thursday*
- Jonas: send the final agenda

## Decisions
- The beta ships on Friday

## Attendees
- Marta Ilves
- Jonas Berg
)");

TEST_F(ScreenshotTest, PagesRenderInTheChosenAppearance) {
    makePage().resize(760, 1120);
    appearance->setMode(AppearanceMode::light);
    page->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->languageModelStatus() != QStringLiteral("Checking..."); },
                                5000));
    const QImage light = save(*page, QStringLiteral("settings-light.png"));
    appearance->setMode(AppearanceMode::dark);
    const QImage dark = save(*page, QStringLiteral("settings-dark.png"));
    EXPECT_GT(lightness(light), 180);
    EXPECT_LT(lightness(dark), 90);

    appearance->setMode(AppearanceMode::light);
    MarkdownNoteEditor editor;
    editor.resize(820, 560);
    editor.setPlainText(notes);
    const QImage notesImage = save(editor, QStringLiteral("notes-markdown.png"));
    EXPECT_GT(lightness(notesImage), 180);

    SummaryView view;
    view.resize(720, 560);
    view.setSummary(summary);
    EXPECT_GT(lightness(save(view, QStringLiteral("summary.png"))), 180);
}

} // namespace
} // namespace velmora
