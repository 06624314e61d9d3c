#pragma once
// Dialogs as Qt widgets, modal to the window that asks.

#include "platform/dialogs.h"

namespace platform {

class QtDialogs : public Dialogs {
  public:
    MessageResult Message(QWidget* parent, const std::string& text, const std::string& caption,
                          MessageButtons buttons, MessageIcon icon) override;
    std::optional<TColor> ChooseColor(QWidget* parent, TColor initial) override;
    std::optional<std::string> OpenFile(QWidget* parent, const FileDialogOptions& options) override;
    std::optional<std::string> SaveFile(QWidget* parent, const FileDialogOptions& options) override;
    std::optional<FontChoice> ChooseFont(
        QWidget* parent, const FontChoice& initial,
        const std::function<void(const FontChoice&)>& preview) override;
};

}  // namespace platform
