#pragma once
// Dialogs for tests: each call takes the next answer from a script the test fills, and is
// recorded. A call the script does not expect (none left, or the next answer is for another
// kind of dialog, or a button the box does not have) throws UnscriptedDialog, so that a test
// never passes on a dialog it did not foresee.

#include <cstddef>
#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace platform {

class UnscriptedDialog : public std::logic_error {
  public:
    using std::logic_error::logic_error;
};

class ScriptedDialogs : public Dialogs {
  public:
    enum class Kind { Message, Color, OpenFile, SaveFile, Font };

    struct Call {
        Kind kind = Kind::Message;
        QWidget* parent = nullptr;
        // Message
        std::string text;
        std::string caption;
        MessageButtons buttons = MessageButtons::Ok;
        MessageIcon icon = MessageIcon::None;
        // Color: the initial colour
        TColor color = 0;
        // OpenFile, SaveFile
        FileDialogOptions file;
        // Font: the initial font
        FontChoice font;
    };

    // The script, answered in order.
    void AnswerMessage(MessageResult result);
    void AnswerColor(std::optional<TColor> color);
    void AnswerOpenFile(std::optional<std::string> path);
    void AnswerSaveFile(std::optional<std::string> path);
    // The fonts in `previews` are picked one after the other before the answer is given.
    void AnswerFont(std::optional<FontChoice> font, std::vector<FontChoice> previews = {});

    std::size_t Unanswered() const { return script_.size(); }
    const Call& Last() const;

    MessageResult Message(QWidget* parent, const std::string& text, const std::string& caption,
                          MessageButtons buttons, MessageIcon icon) override;
    std::optional<TColor> ChooseColor(QWidget* parent, TColor initial) override;
    std::optional<std::string> OpenFile(QWidget* parent, const FileDialogOptions& options) override;
    std::optional<std::string> SaveFile(QWidget* parent, const FileDialogOptions& options) override;
    std::optional<FontChoice> ChooseFont(
        QWidget* parent, const FontChoice& initial,
        const std::function<void(const FontChoice&)>& preview) override;

    std::vector<Call> calls;
    // Runs while each dialog is open, before it answers: what happens meanwhile (receive
    // events run inside the real ones).
    std::function<void(const Call&)> while_open;

  private:
    struct Answer {
        Kind kind = Kind::Message;
        MessageResult message = MessageResult::Ok;
        std::optional<TColor> color;
        std::optional<std::string> path;
        std::optional<FontChoice> font;
        std::vector<FontChoice> previews;
    };

    // Records `call` and takes its answer, or throws.
    Answer Take(Call call);

    std::deque<Answer> script_;
};

const char* ToString(ScriptedDialogs::Kind kind);

}  // namespace platform
