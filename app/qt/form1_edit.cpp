// The edit menu's operations on the display.
#include <QLabel>
#include <QTextBlock>

#include "app/edit_operations.h"
#include "app/qt/form1.h"
#include "engine/record_line.h"
#include "ui_form1.h"

void TForm1::NClearClick() {
    TimerSaveFileTimer();
    TCurves& curves = GraphM1().Curves();
    curves.BeginUpdate();
    for (int c : {curve::kT1, curve::kT2, curve::kT3, curve::kCrossV}) curves.Items(c).Clear();
    curves.EndUpdate();
    memo_.Clear();
}

void TForm1::CopyChannel(std::string (*field)(std::string_view)) {
    // Failures of the clipboard are ignored.
    try {
        services_.clipboard.SetText(ChannelCopyText(memo_, field));
    } catch (...) {
    }
}

void TForm1::NCopyT1Click() {
    CopyChannel(&get_T1);
}

void TForm1::NCopyT2Click() {
    CopyChannel(&get_T2);
}

void TForm1::NCopyT3Click() {
    CopyChannel(&get_T3);
}

void TForm1::NCopyHMClick() {
    CopyChannel(&get_HM);
}

void TForm1::Memo1Click() {
    const int line =
        ui_->Memo1->document()->findBlock(ui_->Memo1->textCursor().selectionStart()).blockNumber();
    status_panel_->setText(QString::fromStdString(LineNumberText(line)));
}
