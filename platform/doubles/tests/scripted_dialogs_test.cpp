#include "platform/doubles/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::FileDialogOptions;
using platform::FontChoice;
using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageResult;
using platform::ScriptedDialogs;
using platform::UnscriptedDialog;

QWidget* const kWindow = reinterpret_cast<QWidget*>(0x1000);

TEST(ScriptedDialogs, AnswersInOrderAndRecordsEachCall) {
    ScriptedDialogs dialogs;
    dialogs.AnswerMessage(MessageResult::No);
    dialogs.AnswerColor(0x00112233);
    dialogs.AnswerSaveFile(std::nullopt);
    dialogs.AnswerOpenFile("/data/2024-01-01.txt");

    EXPECT_EQ(dialogs.Message(kWindow, "Сохранить?", "Монитор", MessageButtons::YesNoCancel,
                              MessageIcon::Question),
              MessageResult::No);
    EXPECT_EQ(dialogs.ChooseColor(nullptr, 0x00FF0000), 0x00112233u);
    FileDialogOptions save;
    save.filter = "Text (*.txt)";
    save.confirm_overwrite = false;
    EXPECT_EQ(dialogs.SaveFile(kWindow, save), std::nullopt);
    EXPECT_EQ(dialogs.OpenFile(kWindow, {}), "/data/2024-01-01.txt");
    EXPECT_EQ(dialogs.Unanswered(), 0u);

    ASSERT_EQ(dialogs.calls.size(), 4u);
    const auto& message = dialogs.calls[0];
    EXPECT_EQ(message.kind, ScriptedDialogs::Kind::Message);
    EXPECT_EQ(message.parent, kWindow);
    EXPECT_EQ(message.text, "Сохранить?");
    EXPECT_EQ(message.caption, "Монитор");
    EXPECT_EQ(message.buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(message.icon, MessageIcon::Question);
    EXPECT_EQ(dialogs.calls[1].color, 0x00FF0000u);
    EXPECT_EQ(dialogs.calls[2].kind, ScriptedDialogs::Kind::SaveFile);
    EXPECT_EQ(dialogs.calls[2].file.filter, "Text (*.txt)");
    EXPECT_FALSE(dialogs.calls[2].file.confirm_overwrite);
    EXPECT_EQ(dialogs.Last().kind, ScriptedDialogs::Kind::OpenFile);
}

TEST(ScriptedDialogs, ADialogTheScriptDoesNotExpectThrows) {
    ScriptedDialogs dialogs;
    EXPECT_THROW(dialogs.Message(nullptr, "text", "caption", MessageButtons::Ok, MessageIcon::None),
                 UnscriptedDialog);

    dialogs.AnswerOpenFile("/a.txt");
    try {
        dialogs.SaveFile(nullptr, {});
        FAIL() << "no throw";
    } catch (const UnscriptedDialog& error) {
        EXPECT_NE(std::string(error.what()).find("SaveFile"), std::string::npos);
        EXPECT_NE(std::string(error.what()).find("OpenFile"), std::string::npos);
    }
    // The mismatched call was recorded and the answer kept for the call it was meant for.
    EXPECT_EQ(dialogs.calls.size(), 2u);
    EXPECT_EQ(dialogs.OpenFile(nullptr, {}), "/a.txt");

    dialogs.AnswerMessage(MessageResult::Cancel);
    EXPECT_THROW(dialogs.Message(nullptr, "t", "c", MessageButtons::YesNo, MessageIcon::None),
                 UnscriptedDialog);
}

TEST(ScriptedDialogs, FontPreviewsComeBeforeTheAnswer) {
    ScriptedDialogs dialogs;
    dialogs.AnswerFont(std::nullopt, {{"Arial", 10}, {"Arial", 12}});
    std::vector<FontChoice> previewed;
    const auto result = dialogs.ChooseFont(
        nullptr, {"Tahoma", 8}, [&](const FontChoice& font) { previewed.push_back(font); });
    EXPECT_EQ(result, std::nullopt);
    EXPECT_EQ(previewed, (std::vector<FontChoice>{{"Arial", 10}, {"Arial", 12}}));
    EXPECT_EQ(dialogs.Last().font, (FontChoice{"Tahoma", 8}));
}

}  // namespace
