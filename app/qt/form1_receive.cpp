// The receive path: bytes from the port into the decoder, samples into the read-outs, the
// display, the history and the chart; the Start/Stop button and the hidden test button.
#include <QLabel>
#include <QScrollBar>

#include "app/edit_operations.h"
#include "app/port_open_failure.h"
#include "app/qt/form1.h"
#include "ui_form1.h"

void TForm1::ComPort1RxChar(TCustomSerialPort& Sender, int Count) {
    timer_signal_off_->SetEnabled(false);
    timer_reset_rx_->SetEnabled(false);
    receiver_.ReceiveEvent(
        static_cast<std::size_t>(std::max(Count, 0)),
        [&Sender](std::uint8_t* buffer, std::size_t size) {
            return Sender.ReadBytes(buffer, size);
        },
        *this, Sender.RxArrival().quiet);
    timer_signal_off_->SetEnabled(true);
    timer_reset_rx_->SetEnabled(true);
}

void TForm1::TimerResetRxUartTimer() {
    if (!port_.Connected()) return;
    receiver_.ResetAssembly();
    timer_reset_rx_->SetEnabled(false);
    port_.PurgeBuffers(true, true);
}

void TForm1::SpBtnOpenComClick() {
    receiver_.ResetAssembly();
    try {
        if (!port_.Connected()) {
            ui_->SpBtnOpenCom->setText(QStringLiteral("Стоп"));
            port_.OpenPort();
            port_.SetDtrLine(true);
            port_.SetRtsLine(false);
        } else {
            ui_->SpBtnOpenCom->setText(QStringLiteral("Старт"));
            port_.ClosePort();
        }
    } catch (const ESerialPort& e) {
        ui_->SpBtnOpenCom->setText(QStringLiteral("Старт"));
        Warn("Внимание!", PortOpenFailureText(port_.Port(), e), 50);
    }
}

void TForm1::Button1Click() {
    const auto packet = MakeTestPacket(LayoutFor(settings_.SHT10), rng_);
    receiver_.DecodePacket(packet, *this);
    timer1_->SetEnabled(!timer1_->IsActive());
}

void TForm1::ChecksumMismatch() {
    Warn("Ошибка в данных!", "Не совпадает контрольная сумма.", 20);
}

std::size_t TForm1::DisplayLineCount() const {
    return memo_.Count();
}

void TForm1::SampleDecoded(const TelemetrySample& sample) {
    ui_->Panel1->setText(QString::fromStdString(sample.texts.panel1));
    ui_->Panel2->setText(QString::fromStdString(sample.texts.panel2));
    ui_->LbT3HM->setText(QString::fromStdString(sample.texts.label_t3hm)
                             .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    UpdateTrayTip();

    memo_.Append(sample.record_line);
    if (services_.echo_line) services_.echo_line(sample.record_line);
    const int last = static_cast<int>(memo_.Count()) - 1;
    if (last >= 1) {
        QScrollBar* bar = ui_->ScrollBarAllGraf;
        bar->setMaximum(last);
        bar->setValue(last);
    }
    FillChart(last);
    if (sample.display_full) {
        TimerSaveFileTimer();
        memo_.Clear();
    }
}

void TForm1::UpdateTrayTip() {
    // The notification area reports no mouse movement here: the tip follows the read-outs.
    TrayIcon1().SetHint(TrayTipText(ui_->Panel1->text().toStdString(),
                                    ui_->Panel2->text().toStdString(),
                                    ui_->LbT3HM->text().toStdString()));
}
