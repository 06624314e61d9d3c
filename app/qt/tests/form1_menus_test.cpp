// The main menu's windows and messages, the display font and the tray icon.
#include <QCheckBox>
#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <functional>

#include "app/qt/tests/form1_fixture.h"
#include "platform/qt/tests/dialog_driver.h"

namespace {

class MenusTest : public Form1Test {};

// Runs `inside` on the modal window that `open` shows, then closes it.
void WithModal(QAction* open, const std::function<void(QDialog&)>& inside) {
    bool seen = false;
    WhenShown<QDialog>([&](QDialog& window) {
        seen = true;
        inside(window);
        if (window.isVisible()) window.reject();
    });
    open->trigger();
    EXPECT_TRUE(seen);
}

TEST_F(MenusTest, AnAnalysisOpensWithItsModeAndReportsTheDisplay) {
    Open();
    form->ui().Memo1->setPlainText(
        "T1=37,5  T2=37,4  T3=28,0  HM=55  OUT=_2______  05.06.15 12:00:01\n"
        "T1=37,6  T2=37,4  T3=28,0  HM=55  OUT=________  05.06.15 12:00:02");
    QString report;
    WithModal(form->ui().N16, [&](QDialog& window) {
        report = window.findChild<QPlainTextEdit*>("Memo1")->toPlainText();
    });
    EXPECT_EQ(form->CurrentAnalysisMode(), AnalysisMode::Heater);
    EXPECT_TRUE(
        report.startsWith("- Включение вывода НАГРЕВ (2) -\n05.06.15  12:00:01    Включение"))
        << report.toStdString();
}

TEST_F(MenusTest, TheHelpNamesTheEightOutputs) {
    Open();
    dialogs.AnswerMessage(platform::MessageResult::Ok);
    form->ui().N23->trigger();
    const std::string text = dialogs.Last().text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 7);
    EXPECT_EQ(text.rfind("1 - Звуковая сигнализация\n", 0), 0u);
    EXPECT_NE(text.find("\n3 - Разность между Т1 и Т2\n"), std::string::npos);
    EXPECT_EQ(dialogs.Last().icon, platform::MessageIcon::None);
}

TEST_F(MenusTest, TheFontDialogPreviewsWritesOnOkAndRestoresOnCancel) {
    Open();
    const QFont before = form->ui().Memo1->font();
    QFont seen;
    dialogs.AnswerFont(std::nullopt, {{"DejaVu Serif", 14}});
    form->ui().NFont->trigger();
    EXPECT_EQ(form->ui().Memo1->font(), before);
    EXPECT_FALSE(platform::IniFile(ConfigPath()).Read("Font", "Name"));

    dialogs.AnswerFont(platform::FontChoice{"DejaVu Serif", 12});
    form->ui().NFont->trigger();
    EXPECT_EQ(form->ui().Memo1->font().pointSize(), 12);
    EXPECT_EQ(platform::IniFile(ConfigPath()).ReadString("Font", "Name", ""), "DejaVu Serif");
    EXPECT_EQ(platform::IniFile(ConfigPath()).ReadInteger("Font", "Size", 0), 12);
}

TEST_F(MenusTest, StartingInTheTrayShowsOnlyTheIconUntilADoubleClick) {
    std::ofstream(ConfigPath()) << "[Form]\nStartInTrey=1\nLeft=150\nTop=120\n";
    Open();
    // The program shows the window only when the tray did not hide it.
    EXPECT_TRUE(form->TrayIcon1().StartHidden());
    form->hide();
    EXPECT_TRUE(tray.IconShown());
    tray.Notify(platform::TrayNotification::LeftDoubleClick);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->x(), 150);
    EXPECT_EQ(form->y(), 120);
}

TEST_F(MenusTest, HideAndShowFromTheTrayMenu) {
    Open();
    QAction* hide = form->PopupMenu1().findChild<QAction*>("N5");
    QAction* show = form->PopupMenu1().findChild<QAction*>("N4");
    ASSERT_TRUE(hide && show);
    hide->trigger();
    EXPECT_FALSE(form->isVisible());
    hide->trigger();  // already hidden: nothing changes
    EXPECT_FALSE(form->isVisible());
    show->trigger();
    EXPECT_TRUE(form->isVisible());
}

TEST_F(MenusTest, WithoutANotificationAreaTheWindowIsNeverHidden) {
    tray.SetAvailable(false);
    std::ofstream(ConfigPath()) << "[Form]\nStartInTrey=1\n";
    Open();
    EXPECT_FALSE(form->TrayIcon1().StartHidden());
    form->PopupMenu1().findChild<QAction*>("N5")->trigger();
    EXPECT_TRUE(form->isVisible());
}

TEST_F(MenusTest, TheSettingsDialogAppliesToTheRunningWindow) {
    Open();
    WithModal(form->ui().N3, [](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Настойки");
        auto* minutes = dialog.findChild<QSpinBox*>("UpDwTimeSaveFile");
        ASSERT_NE(minutes, nullptr);
        minutes->setValue(5);
        auto* tray_box = dialog.findChild<QCheckBox*>("ChBoxShowWinTemper");
        ASSERT_NE(tray_box, nullptr);
        tray_box->setChecked(true);
        QTest::mouseClick(dialog.findChild<QPushButton*>("Button1"), Qt::LeftButton);
    });
    EXPECT_EQ(form->TimerSaveFile().Interval(), 300000u);
    EXPECT_TRUE(form->OwnSettings().ShowWindow);
    EXPECT_TRUE(form->PopupMenuCurves().findChild<QAction*>("PMenuWindow")->isChecked());
}

TEST_F(MenusTest, TheAboutWindowOpensFromTheMenu) {
    Open();
    WithModal(form->ui().NAbout,
              [](QDialog& dialog) { EXPECT_EQ(dialog.windowTitle(), "О программе"); });
}

TEST_F(MenusTest, MinimisingGoesIntoTheTrayAndShowBringsItBack) {
    std::ofstream(ConfigPath()) << "[Form]\nMinToTrey=1\n";
    Open();
    EXPECT_TRUE(form->TrayIcon1().MinimizeToTray());
    form->showMinimized();
    QTRY_VERIFY(!form->isVisible());
    form->PopupMenu1().findChild<QAction*>("N4")->trigger();
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->isMinimized());
}

}  // namespace
