#include "platform/doubles/scripted_dialogs.h"

#include <utility>

namespace platform {

namespace {

bool HasButton(MessageButtons buttons, MessageResult result) {
    switch (buttons) {
        case MessageButtons::Ok:
            return result == MessageResult::Ok;
        case MessageButtons::YesNo:
            return result == MessageResult::Yes || result == MessageResult::No;
        case MessageButtons::YesNoCancel:
            return result != MessageResult::Ok;
    }
    return false;
}

std::string Describe(const ScriptedDialogs::Call& call) {
    std::string text = std::string(ToString(call.kind)) + " dialog";
    if (call.kind == ScriptedDialogs::Kind::Message)
        text += " \"" + call.caption + "\": \"" + call.text + "\"";
    if (!call.file.title.empty()) text += " \"" + call.file.title + "\"";
    return text;
}

}  // namespace

const char* ToString(ScriptedDialogs::Kind kind) {
    switch (kind) {
        case ScriptedDialogs::Kind::Message:
            return "Message";
        case ScriptedDialogs::Kind::Color:
            return "Color";
        case ScriptedDialogs::Kind::OpenFile:
            return "OpenFile";
        case ScriptedDialogs::Kind::SaveFile:
            return "SaveFile";
        case ScriptedDialogs::Kind::Font:
            return "Font";
    }
    return "?";
}

void ScriptedDialogs::AnswerMessage(MessageResult result) {
    Answer answer;
    answer.kind = Kind::Message;
    answer.message = result;
    script_.push_back(std::move(answer));
}

void ScriptedDialogs::AnswerColor(std::optional<TColor> color) {
    Answer answer;
    answer.kind = Kind::Color;
    answer.color = color;
    script_.push_back(std::move(answer));
}

void ScriptedDialogs::AnswerOpenFile(std::optional<std::string> path) {
    Answer answer;
    answer.kind = Kind::OpenFile;
    answer.path = std::move(path);
    script_.push_back(std::move(answer));
}

void ScriptedDialogs::AnswerSaveFile(std::optional<std::string> path) {
    Answer answer;
    answer.kind = Kind::SaveFile;
    answer.path = std::move(path);
    script_.push_back(std::move(answer));
}

void ScriptedDialogs::AnswerFont(std::optional<FontChoice> font, std::vector<FontChoice> previews) {
    Answer answer;
    answer.kind = Kind::Font;
    answer.font = std::move(font);
    answer.previews = std::move(previews);
    script_.push_back(std::move(answer));
}

const ScriptedDialogs::Call& ScriptedDialogs::Last() const {
    if (calls.empty()) throw UnscriptedDialog("No dialog was shown");
    return calls.back();
}

ScriptedDialogs::Answer ScriptedDialogs::Take(Call call) {
    if (while_open) while_open(call);
    calls.push_back(std::move(call));
    const Call& made = calls.back();
    if (script_.empty()) throw UnscriptedDialog("Unexpected " + Describe(made));
    if (script_.front().kind != made.kind)
        throw UnscriptedDialog("Unexpected " + Describe(made) +
                               "; the script's next answer is for a " +
                               ToString(script_.front().kind) + " dialog");
    Answer answer = std::move(script_.front());
    script_.pop_front();
    if (made.kind == Kind::Message && !HasButton(made.buttons, answer.message))
        throw UnscriptedDialog("The scripted button is not on the " + Describe(made));
    return answer;
}

MessageResult ScriptedDialogs::Message(QWidget* parent, const std::string& text,
                                       const std::string& caption, MessageButtons buttons,
                                       MessageIcon icon) {
    Call call;
    call.kind = Kind::Message;
    call.parent = parent;
    call.text = text;
    call.caption = caption;
    call.buttons = buttons;
    call.icon = icon;
    return Take(std::move(call)).message;
}

std::optional<TColor> ScriptedDialogs::ChooseColor(QWidget* parent, TColor initial) {
    Call call;
    call.kind = Kind::Color;
    call.parent = parent;
    call.color = initial;
    return Take(std::move(call)).color;
}

std::optional<std::string> ScriptedDialogs::OpenFile(QWidget* parent,
                                                     const FileDialogOptions& options) {
    Call call;
    call.kind = Kind::OpenFile;
    call.parent = parent;
    call.file = options;
    return Take(std::move(call)).path;
}

std::optional<std::string> ScriptedDialogs::SaveFile(QWidget* parent,
                                                     const FileDialogOptions& options) {
    Call call;
    call.kind = Kind::SaveFile;
    call.parent = parent;
    call.file = options;
    return Take(std::move(call)).path;
}

std::optional<FontChoice> ScriptedDialogs::ChooseFont(
    QWidget* parent, const FontChoice& initial,
    const std::function<void(const FontChoice&)>& preview) {
    Call call;
    call.kind = Kind::Font;
    call.parent = parent;
    call.font = initial;
    const Answer answer = Take(std::move(call));
    for (const FontChoice& font : answer.previews)
        if (preview) preview(font);
    return answer.font;
}

}  // namespace platform
