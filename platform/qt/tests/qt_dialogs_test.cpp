// The Qt dialogs on the offscreen platform, answered by clicking in them.
#include "platform/qt/qt_dialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <set>
#include <string>
#include <vector>

#include "platform/qt/tests/dialog_driver.h"
#include "platform/qt/tests/qt_test_app.h"

namespace {

using platform::FileDialogOptions;
using platform::FontChoice;
using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageResult;

class QtDialogsTest : public ::testing::Test {
  protected:
    void SetUp() override { TestApp(); }

    platform::QtDialogs dialogs;
    QWidget window;
};

QAbstractButton* ButtonReading(QMessageBox& box, const QString& text) {
    for (QAbstractButton* button : box.buttons())
        if (button->text() == text) return button;
    return nullptr;
}

TEST_F(QtDialogsTest, MessageBoxShowsItsTextsAndGivesTheClickedButton) {
    QString title, text, default_text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::TextFormat format = Qt::AutoText;
    QWidget* parent = nullptr;
    std::set<QString> buttons;
    WhenShown<QMessageBox>([&](QMessageBox& box) {
        title = box.windowTitle();
        text = box.text();
        icon = box.icon();
        format = box.textFormat();
        parent = box.parentWidget();
        for (QAbstractButton* button : box.buttons()) buttons.insert(button->text());
        default_text = box.defaultButton() ? box.defaultButton()->text() : QString();
        ButtonReading(box, "Нет")->click();
    });
    EXPECT_EQ(dialogs.Message(&window, "Сохранить <b>файл</b>?", "Монитор",
                              MessageButtons::YesNoCancel, MessageIcon::Question),
              MessageResult::No);
    EXPECT_EQ(title, "Монитор");
    EXPECT_EQ(text, "Сохранить <b>файл</b>?");
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(parent, &window);
    EXPECT_EQ(buttons, (std::set<QString>{"Да", "Нет", "Отмена"}));
    EXPECT_EQ(default_text, "Да");
}

TEST_F(QtDialogsTest, ABoxClosedWithoutAButtonGivesItsLastChoice) {
    const std::vector<std::pair<MessageButtons, MessageResult>> cases = {
        {MessageButtons::YesNoCancel, MessageResult::Cancel},
        {MessageButtons::YesNo, MessageResult::No},
        {MessageButtons::Ok, MessageResult::Ok}};
    for (const auto& [buttons, expected] : cases) {
        WhenShown<QMessageBox>([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
        EXPECT_EQ(dialogs.Message(&window, "text", "caption", buttons, MessageIcon::Warning),
                  expected);
    }
}

TEST_F(QtDialogsTest, ColoursAreTranslatedChannelByChannel) {
    QColor shown;
    WhenShown<QColorDialog>([&](QColorDialog& dialog) {
        shown = dialog.currentColor();
        dialog.setCurrentColor(QColor(10, 20, 30));
        dialog.accept();
    });
    // 00BBGGRR: red 0x11, green 0x22, blue 0x33.
    EXPECT_EQ(dialogs.ChooseColor(&window, 0x00332211), std::optional<TColor>(0x001E140A));
    EXPECT_EQ(shown, QColor(0x11, 0x22, 0x33));

    WhenShown<QColorDialog>([](QColorDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(dialogs.ChooseColor(&window, 0x00332211), std::nullopt);
}

// QFileDialog's accept() checks the typed name (and may ask about replacing the file); it is
// public through QDialog only.
void Accept(QDialog& dialog) {
    dialog.accept();
}

class QtFileDialogsTest : public QtDialogsTest {
  protected:
    std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }
    QTemporaryDir dir;
};

TEST_F(QtFileDialogsTest, SaveAddsTheSuffixAndAsksBeforeReplacingOnlyWhenTold) {
    QFile existing(dir.filePath("report.txt"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();

    FileDialogOptions options;
    options.title = "Сохранить статистику";
    options.filter = "Текст (*.txt);;Все файлы (*)";
    options.default_suffix = "txt";
    options.proposed_name = Path("report");
    options.confirm_overwrite = false;
    QStringList filters;
    QString title;
    bool dont_confirm = false;
    WhenShown<QFileDialog>([&](QFileDialog& dialog) {
        filters = dialog.nameFilters();
        title = dialog.windowTitle();
        dont_confirm = dialog.testOption(QFileDialog::DontConfirmOverwrite);
        Accept(dialog);
    });
    EXPECT_EQ(dialogs.SaveFile(&window, options), Path("report.txt"));
    EXPECT_EQ(filters, (QStringList{"Текст (*.txt)", "Все файлы (*)"}));
    EXPECT_EQ(title, "Сохранить статистику");
    EXPECT_TRUE(dont_confirm);

    // Asked to confirm, replacing the file takes a "yes" in a question first.
    options.confirm_overwrite = true;
    bool asked = false;
    WhenShown<QFileDialog>([&](QFileDialog& dialog) {
        WhenShown<QMessageBox>([&](QMessageBox& question) {
            asked = true;
            question.button(QMessageBox::Yes)->click();
        });
        Accept(dialog);
    });
    EXPECT_EQ(dialogs.SaveFile(&window, options), Path("report.txt"));
    EXPECT_TRUE(asked);
}

TEST_F(QtFileDialogsTest, OpenStartsAtTheProposedFileAndCancelGivesNothing) {
    QFile existing(dir.filePath("2024-05-01.txt"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    FileDialogOptions options;
    options.filter = "wav (*.wav)";
    options.proposed_name = Path("2024-05-01.txt");
    WhenShown<QFileDialog>([](QFileDialog& dialog) { Accept(dialog); });
    EXPECT_EQ(dialogs.OpenFile(&window, options), Path("2024-05-01.txt"));

    WhenShown<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(dialogs.OpenFile(&window, options), std::nullopt);
}

TEST_F(QtDialogsTest, FontsPickedArePreviewedAndTheAcceptedOneReturned) {
    std::vector<FontChoice> previews;
    QFont shown;
    WhenShown<QFontDialog>([&](QFontDialog& dialog) {
        shown = dialog.currentFont();
        dialog.setCurrentFont(QFont("DejaVu Serif", 14));
        dialog.accept();
    });
    const auto chosen = dialogs.ChooseFont(
        &window, {"DejaVu Sans", 9}, [&](const FontChoice& font) { previews.push_back(font); });
    EXPECT_EQ(shown.family(), "DejaVu Sans");
    EXPECT_EQ(shown.pointSize(), 9);
    EXPECT_EQ(chosen, (FontChoice{"DejaVu Serif", 14}));
    ASSERT_FALSE(previews.empty());
    EXPECT_EQ(previews.back(), (FontChoice{"DejaVu Serif", 14}));

    WhenShown<QFontDialog>([](QFontDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(dialogs.ChooseFont(&window, {"DejaVu Sans", 9}, nullptr), std::nullopt);
}

}  // namespace
