#pragma once
// Drives a modal dialog from inside its own event loop: once the dialog is on screen, the
// test's action runs on it. A dialog the action leaves open is closed after a while and the
// test fails, so that a wrong action never hangs the test program.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>
#include <functional>

template <class Dialog>
void WhenShown(std::function<void(Dialog&)> act, int tries = 200) {
    QTimer::singleShot(0, [act = std::move(act), tries]() mutable {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<Dialog*>(widget);
            if (!dialog || !dialog->isVisible()) continue;
            QTimer::singleShot(5000, dialog, [] {
                ADD_FAILURE() << "the dialog was left open";
                // Innermost first: a question the dialog asked blocks it from closing.
                for (int i = 0; i < 10; ++i) {
                    auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                    if (!modal) break;
                    modal->reject();
                }
            });
            act(*dialog);
            return;
        }
        if (tries > 0)
            WhenShown<Dialog>(std::move(act), tries - 1);
        else
            ADD_FAILURE() << "no dialog was shown";
    });
}
