#pragma once
// Modal dialogs: message boxes and the colour, file and font choosers. Only windows use
// them, so a call names the window that asks (its parent: modal to it, centred on it).
// Texts are UTF-8. Tests answer them with a scripted double.

#include <functional>
#include <optional>
#include <string>

#include "platform/canvas.h"

class QWidget;

namespace platform {

enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageResult { Ok, Yes, No, Cancel };

struct FileDialogOptions {
    std::string title;           // empty: the toolkit's own
    std::string filter;          // "Name (*.txt)" lines joined by ";;"; empty: all files
    std::string default_suffix;  // appended when the typed name has none ("txt")
    std::string proposed_name;   // file name or path shown at first
    // Save only: ask before replacing an existing file (false when the caller asks itself).
    bool confirm_overwrite = true;
};

struct FontChoice {
    std::string name;
    int size = 8;  // points
    friend bool operator==(const FontChoice&, const FontChoice&) = default;
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // Buttons read "Да", "Нет", "Отмена", "OK"; a box closed without a button gives Cancel
    // for YesNoCancel, No for YesNo and Ok for Ok.
    virtual MessageResult Message(QWidget* parent, const std::string& text,
                                  const std::string& caption, MessageButtons buttons,
                                  MessageIcon icon) = 0;
    // Colours in the window system's 00BBGGRR form; empty when cancelled.
    virtual std::optional<TColor> ChooseColor(QWidget* parent, TColor initial) = 0;
    // A full path, or empty when cancelled.
    virtual std::optional<std::string> OpenFile(QWidget* parent,
                                                const FileDialogOptions& options) = 0;
    virtual std::optional<std::string> SaveFile(QWidget* parent,
                                                const FileDialogOptions& options) = 0;
    // `preview` is called with each font the user picks while the dialog is open; empty
    // when cancelled.
    virtual std::optional<FontChoice> ChooseFont(
        QWidget* parent, const FontChoice& initial,
        const std::function<void(const FontChoice&)>& preview) = 0;
};

}  // namespace platform
