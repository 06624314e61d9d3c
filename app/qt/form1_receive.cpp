// The receive path: the engine's samples into the read-outs, the display and the chart; the
// Start/Stop button and the hidden test button.
#include <QLabel>
#include <QScrollBar>

#include "app/edit_operations.h"
#include "app/qt/form1.h"
#include "platform/serial_device_flags.h"
#include "ui_form1.h"

void TForm1::SpBtnOpenComClick() {
    // While the port is tried again it counts as started: the button stops the attempts.
    if (engine_->PortStarted())
        engine_->Stop();
    else
        engine_->Start();
}

void TForm1::OpenPortAtStart() {
    engine_->StartAtLaunch();
}

void TForm1::Button1Click() {
    engine_->DecodePacket(MakeTestPacket(LayoutFor(Settings().SHT10), rng_));
}

void TForm1::SampleDecoded(const TelemetrySample& sample) {
    ui_->Panel1->setText(QString::fromStdString(sample.texts.panel1));
    ui_->Panel2->setText(QString::fromStdString(sample.texts.panel2));
    ui_->LbT3HM->setText(QString::fromStdString(sample.texts.label_t3hm)
                             .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    UpdateTrayTip();

    memo_.Append(sample.record_line);
    const int last = static_cast<int>(memo_.Count()) - 1;
    if (last >= 1) {
        QScrollBar* bar = ui_->ScrollBarAllGraf;
        bar->setMaximum(last);
        bar->setValue(last);
    }
    FillChart(last);
}

void TForm1::DisplayStartsAfresh() {
    memo_.Clear();
    // Its lines are saved: closing does not ask about an empty display.
    ui_->Memo1->document()->setModified(false);
}

void TForm1::PortStartedChanged(bool started) {
    ui_->SpBtnOpenCom->setText(started ? QStringLiteral("Стоп") : QStringLiteral("Старт"));
}

void TForm1::UpdateTrayTip() {
    // The notification area reports no mouse movement here: the tip follows the read-outs.
    TrayIcon1().SetHint(TrayTipText(ui_->Panel1->text().toStdString(),
                                    ui_->Panel2->text().toStdString(),
                                    ui_->LbT3HM->text().toStdString()));
}
