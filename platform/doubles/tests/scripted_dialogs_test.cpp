#include "platform/doubles/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace platform;

QWidget* const kWindow = reinterpret_cast<QWidget*>(0x1000);

TEST(ScriptedDialogs, AnswersInOrderAndRecordsEachCall) {
    ScriptedDialogs dialogs;
    dialogs.AnswerMessage(MessageResult::No);
    dialogs.AnswerColor(0x00112233);
    dialogs.AnswerFont(std::nullopt, {{"Arial", 10}, {"Arial", 12}});
    dialogs.AnswerOpenFile("/data/2024-01-01.txt");

    EXPECT_EQ(dialogs.Message(kWindow, "Сохранить?", "Монитор", MessageButtons::YesNoCancel,
                              MessageIcon::Question),
              MessageResult::No);
    EXPECT_EQ(dialogs.ChooseColor(nullptr, 0x00FF0000), 0x00112233u);
    std::vector<FontChoice> previewed;
    EXPECT_EQ(dialogs.ChooseFont(nullptr, {"Tahoma", 8},
                                 [&](const FontChoice& font) { previewed.push_back(font); }),
              std::nullopt);
    FileDialogOptions open;
    open.title = "Открыть";
    EXPECT_EQ(dialogs.OpenFile(kWindow, open), "/data/2024-01-01.txt");
    EXPECT_EQ(dialogs.Unanswered(), 0u);

    EXPECT_EQ(previewed, (std::vector<FontChoice>{{"Arial", 10}, {"Arial", 12}}));
    ASSERT_EQ(dialogs.calls.size(), 4u);
    const auto& message = dialogs.calls[0];
    EXPECT_EQ(message.parent, kWindow);
    EXPECT_EQ(message.text, "Сохранить?");
    EXPECT_EQ(message.caption, "Монитор");
    EXPECT_EQ(message.buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(message.icon, MessageIcon::Question);
    EXPECT_EQ(dialogs.calls[1].color, 0x00FF0000u);
    EXPECT_EQ(dialogs.calls[2].font, (FontChoice{"Tahoma", 8}));
    EXPECT_EQ(dialogs.Last().file.title, "Открыть");
}

TEST(ScriptedDialogs, ADialogTheScriptDoesNotExpectThrows) {
    ScriptedDialogs dialogs;
    EXPECT_THROW(dialogs.Message(nullptr, "t", "c", MessageButtons::Ok, MessageIcon::None),
                 UnscriptedDialog);

    dialogs.AnswerOpenFile("/a.txt");
    try {
        dialogs.SaveFile(nullptr, {});
        ADD_FAILURE() << "no throw";
    } catch (const UnscriptedDialog& error) {
        EXPECT_NE(std::string(error.what()).find("SaveFile"), std::string::npos);
        EXPECT_NE(std::string(error.what()).find("OpenFile"), std::string::npos);
    }
    // The answer stays for the call it was meant for.
    EXPECT_EQ(dialogs.OpenFile(nullptr, {}), "/a.txt");

    dialogs.AnswerMessage(MessageResult::Cancel);  // a button the box does not have
    EXPECT_THROW(dialogs.Message(nullptr, "t", "c", MessageButtons::YesNo, MessageIcon::None),
                 UnscriptedDialog);
}

}  // namespace
