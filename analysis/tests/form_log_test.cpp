#include "analysis/qt/form_log.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <optional>
#include <string>
#include <vector>

#include "analysis/qt/display_lines.h"
#include "engine/record_line.h"
#include "platform/doubles/recording_clipboard.h"
#include "platform/doubles/scripted_dialogs.h"
#include "platform/ini_file.h"
#include "platform/qt/tests/qt_test_app.h"

namespace {

using platform::FontChoice;

std::string At(int second, const char* outs) {
    return MakeRecordLine("37,5", "37,4", "28,0", 55, outs, {2015, 6, 5, 12, 0, second});
}

class FormLogTest : public ::testing::Test {
  protected:
    FormLogTest() {
        main_window.setGeometry(100, 80, 700, 500);
        // Heater on in lines 2 and 3, humidifier in line 3.
        main_display.setPlainText(
            QString::fromStdString(At(1, "________") + "\n" + At(2, "_2______") + "\n" +
                                   At(3, "_2_4____") + "\n" + At(4, "________")));
    }

    std::unique_ptr<TFormLog> Open() {
        return std::make_unique<TFormLog>(
            FormLogContext{*main_display.document(), mode, dialogs, clipboard,
                           [this](const FontChoice& present) {
                               read_defaults.push_back(present);
                               return stored_font.value_or(present);
                           },
                           [this](const FontChoice& font) { written_fonts.push_back(font); }},
            &main_window);
    }

    static QAction* Item(TFormLog& form, const char* name) {
        auto* action = form.findChild<QAction*>(name);
        EXPECT_NE(action, nullptr) << name;
        return action;
    }
    static QPlainTextEdit& Memo(TFormLog& form) {
        return *form.findChild<QPlainTextEdit*>("Memo1");
    }
    static QString Report(TFormLog& form) { return Memo(form).toPlainText(); }

    QWidget main_window;
    QPlainTextEdit main_display{&main_window};
    AnalysisMode mode = AnalysisMode::Heater;
    platform::ScriptedDialogs dialogs;  // a dialog the test does not script fails it
    platform::RecordingClipboard clipboard;
    std::optional<FontChoice> stored_font;
    std::vector<FontChoice> read_defaults;
    std::vector<FontChoice> written_fonts;
};

const QString kHeaterReport = QString::fromUtf8(
    "- Включение вывода НАГРЕВ (2) -\n"
    "05.06.15  12:00:02    Включение  T1=37,5 T2=37,4\n"
    "05.06.15  12:00:04    _Выключение  T1=37,5 T2=37,4");

QStringList ActionTexts(const QWidget& menu) {
    QStringList texts;
    for (const QAction* action : menu.actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

}  // namespace

TEST_F(FormLogTest, WindowHasItsControlsAndMenus) {
    main_window.show();
    auto form = Open();
    form->show();
    EXPECT_EQ(form->windowTitle(), QString::fromUtf8("Данные"));
    EXPECT_EQ(form->size(), QSize(543, 455));
    EXPECT_LE(
        (form->frameGeometry().center() - main_window.frameGeometry().center()).manhattanLength(),
        2);

    QPlainTextEdit& memo = Memo(*form);
    EXPECT_TRUE(memo.isReadOnly());
    EXPECT_FALSE(memo.isUndoRedoEnabled());
    EXPECT_EQ(memo.lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(memo.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(memo.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    auto* status = form->findChild<QStatusBar*>("StatusBar1");
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->currentMessage().isEmpty());
    EXPECT_GT(memo.geometry().bottom(), status->geometry().top() - 4);  // fills down to it

    auto* bar = form->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(ActionTexts(*bar), (QStringList{"Анализ", "Правка"}));
    auto* analysis = form->findChild<QMenu*>("N1");
    auto* edit = form->findChild<QMenu*>("N11");
    ASSERT_TRUE(analysis && edit);
    EXPECT_EQ(
        ActionTexts(*analysis),
        (QStringList{"Перевороты лотков", "Влажность", "Разность T1 T2", "Включение нагрева",
                     "Звуковой сигнал", "Аварийное охлаждение", "Аварийное реле", "-", "Выход"}));
    EXPECT_EQ(ActionTexts(*edit), (QStringList{"Копировать все", "-", "Шрифт"}));
    EXPECT_EQ(analysis->actions().back(), Item(*form, "N10"));
    EXPECT_EQ(edit->actions().front(), Item(*form, "N12"));
    EXPECT_EQ(edit->actions().back(), Item(*form, "N13"));
}

TEST_F(FormLogTest, OpeningShowsTheCurrentAnalysis) {
    auto form = Open();
    EXPECT_EQ(Report(*form), kHeaterReport);
}

TEST_F(FormLogTest, SwitchingTheAnalysisReplacesTheReport) {
    auto form = Open();
    Item(*form, "N3")->trigger();
    EXPECT_EQ(mode, AnalysisMode::Humidification);
    EXPECT_EQ(Report(*form), QString::fromUtf8("- Влажность -\n"
                                               "05.06.15  12:00:03    Увлажнение включено  55%\n"
                                               "05.06.15  12:00:04    _Выключение  55%"));

    // Run again over the display as it is now.
    main_display.appendPlainText(QString::fromStdString(At(5, "_2______")));
    Item(*form, "N5")->trigger();
    EXPECT_EQ(
        Report(*form),
        kHeaterReport + QString::fromUtf8("\n05.06.15  12:00:05    Включение  T1=37,5 T2=37,4"));
}

TEST_F(FormLogTest, EachAnalysisItemSetsItsMode) {
    const std::pair<const char*, AnalysisMode> items[] = {
        {"N2", AnalysisMode::TrayTurnings},   {"N3", AnalysisMode::Humidification},
        {"N4", AnalysisMode::T1T2Difference}, {"N5", AnalysisMode::Heater},
        {"N6", AnalysisMode::SoundSignal},    {"N7", AnalysisMode::EmergencyCooling},
        {"N8", AnalysisMode::EmergencyRelay},
    };
    auto form = Open();
    for (const auto& [name, item_mode] : items) {
        Item(*form, name)->trigger();
        EXPECT_EQ(mode, item_mode) << name;
        const QString expected_heading = QString::fromStdString(RunAnalysis(item_mode, {}).front());
        EXPECT_EQ(Report(*form).section('\n', 0, 0), expected_heading) << name;
    }
}

TEST_F(FormLogTest, TheModeOutlivesTheWindow) {
    auto form = Open();
    Item(*form, "N7")->trigger();
    form.reset();
    EXPECT_EQ(mode, AnalysisMode::EmergencyCooling);
    auto again = Open();
    EXPECT_EQ(Report(*again), QString::fromUtf8("- Включение вывода аварийного охлаждения -"));
}

TEST_F(FormLogTest, ExitEndsTheModalWindow) {
    main_window.show();
    auto form = Open();
    QTimer::singleShot(0, form.get(), [&] { Item(*form, "N10")->trigger(); });
    EXPECT_EQ(form->exec(), QDialog::Rejected);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(FormLogTest, AModeOutsideTheTableLeavesTheReportEmptyUntilOneIsChosen) {
    mode = static_cast<AnalysisMode>('?');
    auto form = Open();
    EXPECT_TRUE(Report(*form).isEmpty());
    Item(*form, "N5")->trigger();
    EXPECT_EQ(Report(*form), kHeaterReport);
}

TEST_F(FormLogTest, CopyAllPutsTheWholeReportOnTheClipboard) {
    auto form = Open();
    Item(*form, "N12")->trigger();
    ASSERT_EQ(clipboard.set.size(), 1u);
    EXPECT_EQ(clipboard.set[0],
              "- Включение вывода НАГРЕВ (2) -\n"
              "05.06.15  12:00:02    Включение  T1=37,5 T2=37,4\n"
              "05.06.15  12:00:04    _Выключение  T1=37,5 T2=37,4");
    EXPECT_EQ(Memo(*form).textCursor().selectedText().size(), kHeaterReport.size());
}

TEST_F(FormLogTest, StoredFontIsReadAtOpeningWithThePresentOneAsDefault) {
    const FontChoice present{QPlainTextEdit().font().family().toStdString(),
                             QPlainTextEdit().font().pointSize()};
    stored_font = FontChoice{"Courier", 15};
    auto form = Open();
    EXPECT_EQ(read_defaults, std::vector<FontChoice>{present});
    EXPECT_EQ(Memo(*form).font().family(), "Courier");
    EXPECT_EQ(Memo(*form).font().pointSize(), 15);
    EXPECT_TRUE(written_fonts.empty());

    // A damaged stored font keeps what it lacks.
    stored_font = FontChoice{"", 0};
    auto other = Open();
    EXPECT_EQ(Memo(*other).font().family().toStdString(), present.name);
    EXPECT_EQ(Memo(*other).font().pointSize(), present.size);
}

TEST_F(FormLogTest, ConfirmedFontIsAppliedAndWrittenCancelChangesNothing) {
    stored_font = FontChoice{"Courier", 15};
    auto form = Open();

    // Fonts picked while the dialog is open are not applied before it is confirmed.
    dialogs.AnswerFont(std::nullopt, {FontChoice{"Monospace", 20}});
    Item(*form, "N13")->trigger();
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].kind, platform::ScriptedDialogs::Kind::Font);
    EXPECT_EQ(dialogs.calls[0].font, (FontChoice{"Courier", 15}));
    EXPECT_EQ(dialogs.calls[0].parent, form.get());
    EXPECT_EQ(Memo(*form).font().family(), "Courier");
    EXPECT_EQ(Memo(*form).font().pointSize(), 15);
    EXPECT_TRUE(written_fonts.empty());

    dialogs.AnswerFont(FontChoice{"Serif", 11});
    Item(*form, "N13")->trigger();
    EXPECT_EQ(dialogs.Unanswered(), 0u);
    EXPECT_EQ(Memo(*form).font().family(), "Serif");
    EXPECT_EQ(Memo(*form).font().pointSize(), 11);
    EXPECT_EQ(written_fonts, std::vector<FontChoice>{(FontChoice{"Serif", 11})});
}

TEST_F(FormLogTest, AFontTheConfigurationCannotTakeIsReportedAndTheWindowStays) {
    const std::string config = QDir::tempPath().toStdString();  // a folder: writes are refused
    auto form = std::make_unique<TFormLog>(FormLogContext{*main_display.document(),
                                                          mode,
                                                          dialogs,
                                                          clipboard,
                                                          {},
                                                          [config](const FontChoice& font) {
                                                              platform::IniFile(config).WriteString(
                                                                  "Font", "NameLog", font.name);
                                                          }},
                                           &main_window);
    dialogs.AnswerFont(FontChoice{"Serif", 11});
    dialogs.AnswerMessage(platform::MessageResult::Ok);
    Item(*form, "N13")->trigger();
    EXPECT_EQ(dialogs.Last().text, "Unable to write to " + config);
    EXPECT_EQ(dialogs.Last().parent, form.get());
    EXPECT_EQ(Memo(*form).font().family(), "Serif");
}

TEST(DisplayLines, MatchTheBlocksOfAnEditedDocument) {
    // Typing in the middle and joining lines scatters the document's text in pieces.
    QTextDocument document;
    document.setPlainText("first\nsecond\nthird");
    QTextCursor cursor(document.findBlockByNumber(1));
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 3);
    cursor.insertText(QString::fromUtf8("Ж\nnew "));
    cursor.movePosition(QTextCursor::End);
    cursor.insertText("\n");
    cursor = QTextCursor(document.findBlockByNumber(0));
    cursor.movePosition(QTextCursor::EndOfBlock);
    cursor.deleteChar();

    std::vector<std::string> blocks;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next())
        blocks.push_back(b.text().toStdString());
    ASSERT_EQ(blocks, (std::vector<std::string>{"firstsecЖ", "new ond", "third", ""}));
    std::vector<std::string> lines;
    ForEachDisplayLine(document, [&](std::string_view line) { lines.emplace_back(line); });
    EXPECT_EQ(lines, blocks);

    QTextDocument empty;
    lines.clear();
    ForEachDisplayLine(empty, [&](std::string_view line) { lines.emplace_back(line); });
    EXPECT_EQ(lines, std::vector<std::string>{""});
}
