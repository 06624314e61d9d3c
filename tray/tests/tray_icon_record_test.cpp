// The icon record: tip, balloon fields, icon choice, and the shell calls that carry it.
#include <string>
#include <vector>

#include "common/utf8.h"
#include "tray/tests/tray_fixture.h"

namespace {

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

class TrayRecordTest : public TrayFixture {
  protected:
    void SetUp() override { tray->SetIconVisible(true); }
};

TEST_F(TrayRecordTest, LongTipIsShownAsItsFirst127Characters) {
    std::string hint;
    for (int i = 0; i < 200; ++i) hint += static_cast<char>('a' + i % 26);
    tray->SetHint(hint);
    EXPECT_EQ(shell.Last().op, Op::Modify);
    EXPECT_EQ(shell.Current().tip, hint.substr(0, 127));
}

TEST_F(TrayRecordTest, CyrillicTipIsCutAt127CharactersWithoutABrokenLetter) {
    const std::string hint = Repeat("Тревога ", 25);  // 200 characters, 2 bytes a letter
    tray->SetHint(hint);
    const std::string& tip = shell.Current().tip;
    EXPECT_EQ(text::Utf8Length(tip), 127u);
    EXPECT_EQ(tip, std::string(text::Utf8Prefix(hint, 127)));
    EXPECT_EQ(tip.size(), 127u + 112u);  // 112 two-byte letters, 15 blanks
}

TEST_F(TrayRecordTest, NoTipWithShowHintOffAndItComesBackWhenOn) {
    tray->SetHint("T1=37,5\rT2=37,4");
    EXPECT_EQ(shell.Current().tip, "T1=37,5\nT2=37,4");
    tray->SetShowHint(false);
    EXPECT_EQ(shell.Current().tip, "");
    tray->SetHint("T1=38,0");
    EXPECT_EQ(shell.Current().tip, "");
    tray->SetShowHint(true);
    EXPECT_EQ(shell.Current().tip, "T1=38,0");
}

TEST_F(TrayRecordTest, BalloonFieldsAreCutAndTheTimeOutIsInMilliseconds) {
    const std::string title = Repeat("Ж", 80);
    const std::string body = Repeat("Нет данных. ", 30);  // 360 characters
    EXPECT_TRUE(tray->ShowBalloon(title, body, biWarning, 10));

    // First a hide (empty text), then the balloon.
    ASSERT_GE(shell.calls.size(), 2u);
    const auto& hide = shell.calls[shell.calls.size() - 2].record;
    EXPECT_TRUE(hide.balloon);
    EXPECT_EQ(hide.balloon_text, "");
    const auto& shown = shell.Last().record;
    EXPECT_TRUE(shown.balloon);
    EXPECT_EQ(shown.balloon_timeout_ms, 10000u);
    EXPECT_EQ(shown.balloon_title, Repeat("Ж", 63));
    EXPECT_EQ(shown.balloon_text, std::string(text::Utf8Prefix(body, 255)));
    EXPECT_EQ(shown.balloon_flags, platform::kBalloonWarning);

    tray->ShowBalloon("t", "b", biError, 1000);  // past the range: 255 seconds
    EXPECT_EQ(shell.Last().record.balloon_timeout_ms, 255000u);
    EXPECT_EQ(shell.Last().record.balloon_flags, platform::kBalloonError);
}

TEST_F(TrayRecordTest, BalloonIsSentOnceNotWithLaterUpdates) {
    int shows = 0;
    // A handler that updates the icon while the shell is still showing the balloon.
    tray->OnBalloonHintShow = [&](TTrayIcon& t) {
        ++shows;
        t.SetHint("во время показа");
    };
    tray->ShowBalloon("Тревога", "T1 выше предела", biWarning, 10);
    tray->SetHint("позже");
    EXPECT_EQ(shows, 1);
    EXPECT_FALSE(shell.Last().record.balloon);
    EXPECT_TRUE(shell.BalloonShown());
}

TEST_F(TrayRecordTest, BalloonTimesOutAfterItsSecondsUnlessClicked) {
    int timeouts = 0, clicks = 0;
    tray->OnBalloonHintTimeout = [&](TTrayIcon&) { ++timeouts; };
    tray->OnBalloonHintClick = [&](TTrayIcon&) { ++clicks; };

    tray->ShowBalloon("Нет данных", "Контроллер молчит", biWarning, 10);
    clock.Advance(9999);
    EXPECT_EQ(timeouts, 0);
    clock.Advance(1);
    EXPECT_EQ(timeouts, 1);

    tray->ShowBalloon("Порт", "Не открыть", biWarning, 50);
    clock.Advance(20000);
    shell.ClickBalloon();
    clock.Advance(60000);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(timeouts, 1);
}

TEST_F(TrayRecordTest, BalloonFailsWhileTheIconIsNotShown) {
    tray->SetIconVisible(false);
    EXPECT_FALSE(tray->ShowBalloon("t", "b", biInfo, 10));
    EXPECT_FALSE(tray->UpdateIcon());
    EXPECT_FALSE(shell.BalloonShown());
}

TEST_F(TrayRecordTest, IconIndexPicksFromTheListAndCyclingStepsThroughIt) {
    const std::vector<platform::TrayImage> icons{{"a.png"}, {"b.png"}, {"c.png"}};
    tray->SetIconIndex(2);
    EXPECT_EQ(tray->IconIndex(), 0);  // no list

    tray->SetIconList(icons);
    tray->SetIconIndex(7);
    EXPECT_EQ(tray->IconIndex(), 2);
    EXPECT_EQ(shell.Current().icon, icons[2]);

    std::vector<int> next;
    tray->OnCycle = [&](TTrayIcon&, int n) { next.push_back(n); };
    tray->SetCycleInterval(100);
    tray->SetCycleIcons(true);
    EXPECT_EQ(shell.Current().icon, icons[0]);
    std::vector<std::string> shown;
    for (int i = 0; i < 4; ++i) {
        clock.Advance(100);
        shown.push_back(shell.Current().icon.source);
    }
    EXPECT_EQ(next, (std::vector<int>{1, 2, 0, 1}));
    EXPECT_EQ(shown, (std::vector<std::string>{"b.png", "c.png", "a.png", "b.png"}));

    tray->SetCycleIcons(false);
    clock.Advance(1000);
    EXPECT_EQ(next.size(), 4u);
}

TEST_F(TrayRecordTest, ShellRestartAddsAVisibleIconAgainButNotAnInvisibleOne) {
    shell.Restart();
    EXPECT_EQ(shell.Count(Op::Add), 2u);
    EXPECT_TRUE(shell.IconShown());
    EXPECT_TRUE(tray->IconShown());

    tray->SetIconVisible(false);
    shell.Restart();
    EXPECT_EQ(shell.Count(Op::Add), 2u);
    EXPECT_FALSE(shell.IconShown());
}

TEST_F(TrayRecordTest, EachIconHasItsOwnIdentityAndIsRemovedWhenDestroyed) {
    platform::RecordingTrayShell other_shell;
    {
        TTrayIcon other(other_shell.Handle(), clock);
        other.SetIconVisible(true);
        EXPECT_NE(other_shell.Current().id, shell.Current().id);
    }
    EXPECT_EQ(other_shell.Last().op, Op::Delete);
    EXPECT_FALSE(other_shell.IconShown());
}

}  // namespace
