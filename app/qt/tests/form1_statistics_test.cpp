// The statistics files through the window: autosave, save as, open, and the close query.
#include <QLabel>
#include <QScrollBar>

#include "app/qt/tests/form1_fixture.h"
#include "common/text_format.h"
#include "common/text_parse.h"
#include "engine/record_line.h"

namespace {

class StatisticsTest : public Form1Test {
  protected:
    std::filesystem::path DailyFile() const { return folder / "log" / "2026-12-06.txt"; }
    static std::string Line(int t1_tenths) {
        return MakeRecordLine(text::FormatPattern(t1_tenths / 10.0, 1), "36,6", "28,0", 55,
                              "_2______", {2026, 12, 6, 12, 0, 0});
    }
    void WriteFile(const std::filesystem::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
};

TEST_F(StatisticsTest, AutosaveAppendsEachBatchToTheDailyFile) {
    Open();
    form->Button1Click();
    const std::string a = LastLine();
    // The autosave's period: 10 minutes.
    clock.Advance(600000);
    // The first autosave of the day makes log/ and the file, and starts the display afresh.
    EXPECT_EQ(ReadFile(DailyFile()), "\r\n" + a);
    EXPECT_EQ(form->Display().Count(), 0u);
    form->Button1Click();
    const std::string b = LastLine();
    clock.Advance(600000);
    EXPECT_EQ(ReadFile(DailyFile()), "\r\n" + a + "\r\n" + b);
    EXPECT_EQ(form->Display().Count(), 1u);
}

TEST_F(StatisticsTest, SavingOverAFileAsksFirst) {
    Open();
    form->Button1Click();
    const std::filesystem::path target = folder / "saved.txt";
    WriteFile(target, "old");
    dialogs.AnswerSaveFile(target.string());
    dialogs.AnswerMessage(platform::MessageResult::No);
    form->ui().NSave1->trigger();
    EXPECT_EQ(dialogs.calls[0].file.proposed_name, "2026-12-06.txt");
    EXPECT_FALSE(dialogs.calls[0].file.confirm_overwrite);
    EXPECT_EQ(dialogs.Last().text, "Такой файл есть.  Продолжить?");
    EXPECT_EQ(dialogs.Last().caption, "Совпадение имен.");
    EXPECT_EQ(ReadFile(target), "old");

    dialogs.AnswerSaveFile(target.string());
    dialogs.AnswerMessage(platform::MessageResult::Yes);
    form->ui().NSave1->trigger();
    EXPECT_EQ(ReadFile(target), LastLine() + "\r\n");
}

TEST_F(StatisticsTest, OpeningADailyFileRefillsHistoryChartAndScrollBar) {
    Open();
    const std::filesystem::path file = folder / "day.txt";
    WriteFile(file, "\r\n" + Line(371) + "\r\n" + Line(372) + "\r\n");
    dialogs.AnswerOpenFile(file.string());
    form->ui().NLoad1->trigger();
    ASSERT_EQ(form->Display().Count(), 3u);  // the empty first line stays
    EXPECT_EQ(form->Display().Line(0), "");
    EXPECT_EQ(form->History().HistT1[1], 37.1);
    EXPECT_EQ(form->History().HistT1[2], 37.2);
    EXPECT_EQ(form->ui().ScrollBarAllGraf->maximum(), 2);
    EXPECT_EQ(form->GraphM1().Curves().Items(curve::kT1).PointCount(), 2u);
    EXPECT_EQ(form->StatusPanel().text().toStdString(), file.string());
    form->Button1Click();  // the next line follows the file's last line
    EXPECT_EQ(form->Display().Count(), 4u);
    EXPECT_EQ(form->History().HistT1[3], text::ParseDouble(get_T1(form->Display().Line(3))));
    EXPECT_EQ(form->History().HistT1[2], 37.2);
}

TEST_F(StatisticsTest, ALineTypedIntoTheDisplayCountsBeforeTheNextSample) {
    Open();
    form->Button1Click();
    form->ui().Memo1->appendPlainText(QStringLiteral("a note"));
    form->Button1Click();
    ASSERT_EQ(form->Display().Count(), 3u);
    EXPECT_EQ(form->Display().Line(1), "a note");
    EXPECT_EQ(form->History().HistT1[2], text::ParseDouble(get_T1(form->Display().Line(2))));
}

TEST_F(StatisticsTest, AFieldThatIsNotANumberIsReportedAndTheChartKept) {
    Open();
    const std::filesystem::path file = folder / "bad.txt";
    WriteFile(file, Line(371) + "\r\nT1=abc\r\n");
    dialogs.AnswerOpenFile(file.string());
    dialogs.AnswerMessage(platform::MessageResult::Ok);
    form->ui().NLoad1->trigger();
    EXPECT_EQ(dialogs.Last().text, "'abc' is not a valid floating point value");
    EXPECT_EQ(form->Display().Count(), 2u);
    EXPECT_EQ(form->GraphM1().Curves().Items(curve::kT1).PointCount(), 0u);
}

TEST_F(StatisticsTest, AFileLongerThanTheHistoryIsChartedWithinIt) {
    Open();
    std::string text;
    for (int i = 0; i < 90000; ++i) text += Line(300 + i % 100) + "\r\n";
    const std::filesystem::path file = folder / "long.txt";
    WriteFile(file, text);
    dialogs.AnswerOpenFile(file.string());
    dialogs.AnswerMessage(platform::MessageResult::Ok);
    form->ui().NLoad1->trigger();
    EXPECT_EQ(dialogs.Last().text,
              "Превышено максимальное количество строк! Программа будет работать не правильно!");
    EXPECT_EQ(form->Display().Count(), 90000u);
    EXPECT_EQ(form->GraphM1().Curves().Items(curve::kT1).PointCount(), 0u);  // past the history

    // Exactly the capacity: no message.
    text.resize(text.size() / 90000 * HISTORY_CAPACITY);
    WriteFile(file, text);
    dialogs.AnswerOpenFile(file.string());
    form->ui().NLoad1->trigger();
    EXPECT_EQ(form->Display().Count(), HISTORY_CAPACITY);
    EXPECT_EQ(dialogs.Unanswered(), 0u);
}

TEST_F(StatisticsTest, ClosingAChangedDisplayAsksAndKeepsItWhenTheSaveIsCancelled) {
    Open();
    Start();
    form->Button1Click();
    dialogs.AnswerMessage(platform::MessageResult::Cancel);
    EXPECT_FALSE(form->close());
    EXPECT_EQ(dialogs.Last().text, "Сохранить статистику?");
    EXPECT_EQ(dialogs.Last().caption, "Завершение работы");
    EXPECT_TRUE(form->ComPort1().Connected());

    dialogs.AnswerMessage(platform::MessageResult::Yes);
    dialogs.AnswerSaveFile(std::nullopt);  // the save dialog cancelled
    EXPECT_FALSE(form->close());
    EXPECT_EQ(form->Display().Count(), 1u);

    dialogs.AnswerMessage(platform::MessageResult::No);
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->ComPort1().Connected());
}

TEST_F(StatisticsTest, LinesReceivedWhileTheCloseQuestionsAreOpenReachTheDailyFile) {
    Open();
    Start();
    unsigned t1 = 600;
    Receive(test_packets::Eight(0x02, t1++, 590, 500));
    // One line comes while the question is open, one while the save dialog is.
    dialogs.while_open = [&](const auto&) { Receive(test_packets::Eight(0x02, t1++, 590, 500)); };
    dialogs.AnswerMessage(platform::MessageResult::Yes);
    dialogs.AnswerSaveFile((folder / "saved.txt").string());
    EXPECT_TRUE(form->close());
    ASSERT_EQ(form->Display().Count(), 3u);
    std::string lines;
    for (std::size_t i = 0; i < 3; ++i) lines += "\r\n" + form->Display().Line(i);
    EXPECT_EQ(ReadFile(DailyFile()), lines);
}

TEST_F(StatisticsTest, LinesTheLastAutosaveCannotWriteGoToAFileOfTheirOwn) {
    Open();
    services->unsaved_dir = (folder / "unsaved").string();
    std::filesystem::create_directories(folder / "log");
    std::filesystem::create_symlink(folder / "elsewhere.txt", DailyFile());
    Start();
    Receive(test_packets::Eight(0x02, 600, 590, 500));
    testing::internal::CaptureStderr();
    dialogs.AnswerMessage(platform::MessageResult::No);
    EXPECT_TRUE(form->close());
    const std::string errors = testing::internal::GetCapturedStderr();

    const std::string kept = (folder / "unsaved/2026-12-06_12-34-56.txt").string();
    EXPECT_EQ(ReadFile(kept), "\r\n" + form->Display().Line(0));
    EXPECT_FALSE(std::filesystem::exists(folder / "elsewhere.txt")) << "the link was followed";
    EXPECT_NE(errors.find("строки записаны в файл \"" + kept + "\""), std::string::npos) << errors;
    ASSERT_FALSE(Balloons().empty());
    EXPECT_NE(Balloons().back().find("символическая ссылка"), std::string::npos);
    EXPECT_NE(Balloons().back().find(kept), std::string::npos);
}

TEST_F(StatisticsTest, DisplayLineAndHistoryEntryAreTheSameLineWhateverBreaksTheFile) {
    Open();
    // Every break the display makes; a line separator and a cut character break nothing.
    std::string text;
    int count = 0;
    for (const char* end : {"\r\n", "\r", "\n", "\xE2\x80\xA9", "\xEF\xB7\x90", "\xEF\xB7\x91",
                            " \xE2\x80\xA8 \xE2\r\n", ""})
        text += Line(300 + count++) + end;
    WriteFile(folder / "breaks.txt", text);
    dialogs.AnswerOpenFile((folder / "breaks.txt").string());
    form->ui().NLoad1->trigger();
    ASSERT_EQ(form->Display().Count(), static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < form->Display().Count(); ++i)
        EXPECT_EQ(text::ParseDouble(get_T1(form->Display().Line(i))), form->History().HistT1[i])
            << i;
}

TEST_F(StatisticsTest, TheCloseQueryAutosavesWithoutEmptyingTheDisplay) {
    Open();
    form->Button1Click();
    dialogs.AnswerMessage(platform::MessageResult::No);
    EXPECT_TRUE(form->close());
    EXPECT_EQ(ReadFile(DailyFile()), "\r\n" + LastLine());
    EXPECT_EQ(form->Display().Count(), 1u);
}

}  // namespace
