// The receive path: bytes from the port into the decoder, samples into the read-outs, the
// display, the history and the chart; the Start/Stop button and the hidden test button.
#include <QLabel>
#include <QScrollBar>

#include "app/edit_operations.h"
#include "app/qt/form1.h"
#include "engine/port_open_failure.h"
#include "platform/serial_device_flags.h"
#include "ui_form1.h"

namespace {

// Runs its step when the scope ends, also by an exception.
template <typename F>
class AtScopeEnd {
  public:
    explicit AtScopeEnd(F f) : f_(std::move(f)) {}
    ~AtScopeEnd() { f_(); }
    AtScopeEnd(const AtScopeEnd&) = delete;
    AtScopeEnd& operator=(const AtScopeEnd&) = delete;

  private:
    F f_;
};

}  // namespace

void TForm1::ComPort1RxChar(TCustomSerialPort& Sender, int Count) {
    timer_signal_off_->SetEnabled(false);
    timer_reset_rx_->SetEnabled(false);
    // Both count their full interval from this event whatever the reading throws: a watchdog
    // left off would never again warn of silence.
    const AtScopeEnd rearm([this] {
        timer_signal_off_->SetEnabled(true);
        timer_reset_rx_->SetEnabled(true);
    });
    receiver_.ReceiveEvent(
        static_cast<std::size_t>(std::max(Count, 0)),
        [&Sender](std::uint8_t* buffer, std::size_t size) {
            return Sender.ReadBytes(buffer, size);
        },
        *this, Sender.RxArrival().quiet);
}

void TForm1::TimerResetRxUartTimer() {
    if (!port_.Connected()) return;
    receiver_.ResetAssembly();
    timer_reset_rx_->SetEnabled(false);
    try {
        port_.PurgeBuffers(true, true);
    } catch (const ESerialPort& e) {
        // The device went away: the port's notice of the lost line follows and tells of it.
        if (!IsHangUpError(e.SystemCode())) throw;
    }
}

void TForm1::SpBtnOpenComClick() {
    receiver_.ResetAssembly();
    try {
        // While the port is tried again it counts as started: the button stops the attempts.
        if (!port_.Connected() && !reopener_->Retrying()) {
            ui_->SpBtnOpenCom->setText(QStringLiteral("Стоп"));
            reopener_->Open();
        } else {
            ui_->SpBtnOpenCom->setText(QStringLiteral("Старт"));
            reopener_->Stop();
            port_.ClosePort();
        }
    } catch (const ESerialPort& e) {
        ui_->SpBtnOpenCom->setText(QStringLiteral("Старт"));
        Warn("Внимание!", PortOpenFailureText(port_.Port(), e), 50);
    }
}

void TForm1::OpenPortAtStart() {
    receiver_.ResetAssembly();
    ui_->SpBtnOpenCom->setText(QStringLiteral("Стоп"));
    reopener_->OpenAtStart();
}

void TForm1::ComPort1ConnectionLost() {
    // The caption stays "Стоп": the button now stops the attempts to reopen.
    reopener_->Lost();
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
    journal_->Follow(save_buffer_);
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
