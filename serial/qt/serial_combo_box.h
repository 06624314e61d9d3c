#pragma once
// TSerialComboBox: a drop-down list bound to one setting of a port through its TSerialSelect,
// which holds the items and the remembered choice; this widget shows them and passes the
// user's picks on.

#include <QComboBox>
#include <string>

#include "serial/serial_select.h"

class TSerialComboBox : public QComboBox {
  public:
    // The port list comes from the system (ListSerialPorts) unless SetPortLister says else.
    explicit TSerialComboBox(QWidget* parent = nullptr);

    TSerialSelect& Select() { return select_; }
    void SetPortLister(TSerialSelect::PortLister lister);

    TCustomSerialPort* ComPort() const { return select_.ComPort(); }
    void SetComPort(TCustomSerialPort* port) { select_.SetComPort(port); }
    TSerialProperty ComProperty() const { return select_.ComProperty(); }
    void SetComProperty(TSerialProperty value) { select_.SetComProperty(value); }
    bool AutoApply() const { return select_.AutoApply(); }
    void SetAutoApply(bool value) { select_.SetAutoApply(value); }
    std::string Text() const { return select_.Text(); }
    void SetText(const std::string& value) { select_.SetText(value); }

  private:
    void ShowItems();
    void ShowSelection();

    TSerialSelect select_;
};
