// The journal of received lines through the window: a window that ended without saving
// (destroyed unclosed, as a kill leaves it) has its lines written by the next one, which says
// how many; a clean end and autosave off leave no journal; a journal that cannot be kept
// costs one warning and no line.
#include "app/qt/tests/form1_fixture.h"

namespace {

class JournalTest : public Form1Test {
  protected:
    std::filesystem::path Journal() const { return folder / "log" / statistics::kJournalFileName; }
    std::filesystem::path DailyFile() const { return folder / "log" / "2026-12-06.txt"; }
    // Lines received by a window that then ends without its last autosave.
    std::string ReceiveAndDie(int count) {
        Open();
        std::string lines;
        for (int i = 0; i < count; ++i) {
            form->Button1Click();
            lines += "\r\n" + LastLine();
        }
        EXPECT_TRUE(std::filesystem::exists(Journal()));
        form.reset();
        return lines;
    }
    std::size_t BalloonsWith(const std::string& text) const {
        std::size_t n = 0;
        for (const std::string& balloon : Balloons()) n += balloon.find(text) != std::string::npos;
        return n;
    }
};

TEST_F(JournalTest, TheNextStartWritesWhatAWindowEndedWithoutSavingHeldAndSaysSo) {
    const std::string lines = ReceiveAndDie(3);
    EXPECT_FALSE(std::filesystem::exists(DailyFile()));

    testing::internal::CaptureStderr();
    Open();
    const std::string errors = testing::internal::GetCapturedStderr();
    const std::string notice =
        "не сохранённые тогда: 3. Они дописаны в файл \"" + DailyFile().string() + "\".";
    EXPECT_NE(errors.find(notice), std::string::npos) << errors;
    EXPECT_EQ(BalloonsWith(notice), 1u);
    EXPECT_EQ(ReadFile(DailyFile()), lines);
    EXPECT_FALSE(std::filesystem::exists(Journal()));

    // The next line starts a journal; a clean end saves everything and leaves none.
    form->Button1Click();
    EXPECT_TRUE(std::filesystem::exists(Journal()));
    dialogs.AnswerMessage(platform::MessageResult::No);
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(std::filesystem::exists(Journal()));
    EXPECT_EQ(ReadFile(DailyFile()), lines + "\r\n" + LastLine());
}

TEST_F(JournalTest, WithAutosaveOffThereIsNoJournalButOneLeftFromBeforeIsStillWritten) {
    const std::string lines = ReceiveAndDie(2);
    std::ofstream(ConfigPath(), std::ios::binary) << "[LogFile]\nTime=0\n";
    Open();
    EXPECT_EQ(ReadFile(DailyFile()), lines);
    form->Button1Click();
    EXPECT_FALSE(std::filesystem::exists(Journal()));
    EXPECT_TRUE(form->SaveBuffer().empty());
}

TEST_F(JournalTest, LinesKeptInAFileOfTheirOwnAtTheEndAreNotWrittenAgainByTheNextStart) {
    std::filesystem::create_directories(folder / "log");
    std::filesystem::create_symlink(folder / "elsewhere.txt", DailyFile());
    Open();
    services->unsaved_dir = (folder / "unsaved").string();
    form->Button1Click();
    testing::internal::CaptureStderr();
    dialogs.AnswerMessage(platform::MessageResult::No);
    EXPECT_TRUE(form->close());
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadFile(folder / "unsaved/2026-12-06_12-34-56.txt"), "\r\n" + LastLine());
    EXPECT_FALSE(std::filesystem::exists(Journal()));

    form.reset();
    std::filesystem::remove(DailyFile());
    Open();
    EXPECT_FALSE(std::filesystem::exists(DailyFile()));
}

TEST_F(JournalTest, AJournalThatCannotBeKeptIsOneWarningAndTheAutosaveStillSavesEveryLine) {
    std::filesystem::create_directories(Journal());  // a folder in its place
    Open();
    std::string lines;
    for (int i = 0; i < 3; ++i) {
        form->Button1Click();
        lines += "\r\n" + LastLine();
        clock.Advance(form->TimerSaveFile().Interval());  // the next autosave
    }
    EXPECT_EQ(ReadFile(DailyFile()), lines);
    EXPECT_EQ(BalloonsWith("Не удалось вести журнал принятых строк"), 1u);
    EXPECT_EQ(BalloonsWith("это папка, а не файл"), 1u);
}

}  // namespace
