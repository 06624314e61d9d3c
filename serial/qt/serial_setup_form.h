#pragma once
// TSerialSetupForm: the port's setup dialog, six lists (port, baud rate, data bits, stop bits,
// parity, flow control) bound to one port, and OK / Cancel. The port's list also takes any
// typed device path (a pseudo-terminal, /dev/rfcomm0, a network serial bridge); a listed
// link, such as a /dev/serial/by-id name, shows the kernel's name of its device beside it.

#include <QDialog>
#include <memory>
#include <string>

#include "serial/serial_select.h"

namespace Ui {
class TSerialSetupForm;
}
class TCustomSerialPort;

class TSerialSetupForm : public QDialog {
  public:
    // The item data role of the port list that holds a listed link's kernel device name.
    static constexpr int kDeviceRole = Qt::UserRole + 1;

    // `lister` gives the port list; empty: the system's ports.
    explicit TSerialSetupForm(QWidget* parent = nullptr, TSerialSelect::PortLister lister = {});
    ~TSerialSetupForm() override;

    Ui::TSerialSetupForm& ui() { return *ui_; }

    // Binds the six lists to the port, which selects its current values; a port name that is
    // not listed stands typed in the port's list.
    void Bind(TCustomSerialPort* port);
    // The port name chosen or typed, without surrounding blanks; empty: keep the port's.
    std::string PortName() const;
    // Sets the six choices on the port in one deferred update, so that an open port gets them
    // in one go (and a new name reopens it once).
    void ApplyTo(TCustomSerialPort& port);

  private:
    void ShowDevices(int first, int last);

    std::unique_ptr<Ui::TSerialSetupForm> ui_;
};

// The modal setup dialog for the port; the choices reach the port only on OK.
void ShowSettingsDialog(TCustomSerialPort& port, QWidget* parent = nullptr,
                        TSerialSelect::PortLister lister = {});
