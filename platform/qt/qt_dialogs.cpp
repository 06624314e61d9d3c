#include "platform/qt/qt_dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>
#include <cmath>

#include "platform/qt/color_conversion.h"

namespace platform {

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::None:
            return QMessageBox::NoIcon;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

std::optional<std::string> RunFileDialog(QWidget* parent, const FileDialogOptions& options,
                                         bool save) {
    QFileDialog dialog(parent, FromUtf8(options.title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!options.filter.empty())
        dialog.setNameFilters(FromUtf8(options.filter).split(QStringLiteral(";;")));
    if (!options.default_suffix.empty()) dialog.setDefaultSuffix(FromUtf8(options.default_suffix));
    if (save && !options.confirm_overwrite) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!options.proposed_name.empty()) dialog.selectFile(FromUtf8(options.proposed_name));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return files.front().toStdString();
}

FontChoice ToChoice(const QFont& font, int fallback_size) {
    FontChoice choice{font.family().toStdString(), font.pointSize()};
    if (choice.size <= 0)
        choice.size = font.pointSizeF() > 0 ? static_cast<int>(std::lround(font.pointSizeF()))
                                            : fallback_size;
    return choice;
}

}  // namespace

MessageResult QtDialogs::Message(QWidget* parent, const std::string& text,
                                 const std::string& caption, MessageButtons buttons,
                                 MessageIcon icon) {
    QMessageBox box(ToQtIcon(icon), FromUtf8(caption), FromUtf8(text), QMessageBox::NoButton,
                    parent);
    // The texts are the program's own words, never markup.
    box.setTextFormat(Qt::PlainText);
    QPushButton* ok = nullptr;
    QPushButton* yes = nullptr;
    QPushButton* no = nullptr;
    QPushButton* cancel = nullptr;
    if (buttons == MessageButtons::Ok) {
        ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    } else {
        yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
        no = box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
        if (buttons == MessageButtons::YesNoCancel)
            cancel = box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
    }
    // The first button is the default one; closing the box counts as its last button.
    box.setDefaultButton(ok ? ok : yes);
    box.setEscapeButton(ok ? ok : cancel ? cancel : no);
    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    if (clicked && clicked == yes) return MessageResult::Yes;
    if (clicked && clicked == no) return MessageResult::No;
    if (clicked && clicked == ok) return MessageResult::Ok;
    if (clicked && clicked == cancel) return MessageResult::Cancel;
    switch (buttons) {
        case MessageButtons::Ok:
            return MessageResult::Ok;
        case MessageButtons::YesNo:
            return MessageResult::No;
        case MessageButtons::YesNoCancel:
            return MessageResult::Cancel;
    }
    return MessageResult::Cancel;
}

std::optional<TColor> QtDialogs::ChooseColor(QWidget* parent, TColor initial) {
    QColorDialog dialog(ToQColor(initial), parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return FromQColor(dialog.selectedColor());
}

std::optional<std::string> QtDialogs::OpenFile(QWidget* parent, const FileDialogOptions& options) {
    return RunFileDialog(parent, options, false);
}

std::optional<std::string> QtDialogs::SaveFile(QWidget* parent, const FileDialogOptions& options) {
    return RunFileDialog(parent, options, true);
}

std::optional<FontChoice> QtDialogs::ChooseFont(
    QWidget* parent, const FontChoice& initial,
    const std::function<void(const FontChoice&)>& preview) {
    QFontDialog dialog(QFont(FromUtf8(initial.name), initial.size > 0 ? initial.size : -1), parent);
    if (preview)
        QObject::connect(&dialog, &QFontDialog::currentFontChanged,
                         [&](const QFont& font) { preview(ToChoice(font, initial.size)); });
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return ToChoice(dialog.selectedFont(), initial.size);
}

}  // namespace platform
