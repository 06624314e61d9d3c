#pragma once
// TSerialSetupForm: the port's setup dialog, six lists (port, baud rate, data bits, stop bits,
// parity, flow control) bound to one port, and OK / Cancel.

#include <QDialog>
#include <memory>

#include "serial/serial_select.h"

namespace Ui {
class TSerialSetupForm;
}
class TCustomSerialPort;

class TSerialSetupForm : public QDialog {
  public:
    // `lister` gives the port list; empty: the system's ports.
    explicit TSerialSetupForm(QWidget* parent = nullptr, TSerialSelect::PortLister lister = {});
    ~TSerialSetupForm() override;

    Ui::TSerialSetupForm& ui() { return *ui_; }

    // Binds the six lists to the port, which selects its current values.
    void Bind(TCustomSerialPort* port);
    // Sets the six choices on the port in one deferred update, so that an open port gets them
    // in one go (and a new name reopens it once).
    void ApplyTo(TCustomSerialPort& port);

  private:
    std::unique_ptr<Ui::TSerialSetupForm> ui_;
};

// The modal setup dialog for the port; the choices reach the port only on OK.
void ShowSettingsDialog(TCustomSerialPort& port, QWidget* parent = nullptr,
                        TSerialSelect::PortLister lister = {});
