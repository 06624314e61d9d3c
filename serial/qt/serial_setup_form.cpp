#include "serial/qt/serial_setup_form.h"

#include "serial/qt/serial_combo_box.h"
#include "serial/serial_port.h"
#include "ui_serial_setup_form.h"

TSerialSetupForm::TSerialSetupForm(QWidget* parent, TSerialSelect::PortLister lister)
    : QDialog(parent), ui_(std::make_unique<Ui::TSerialSetupForm>()) {
    ui_->setupUi(this);
    setFixedSize(size());
    if (lister) ui_->Combo1->SetPortLister(std::move(lister));
    ui_->Combo1->SetComProperty(cpPort);
    ui_->Combo2->SetComProperty(cpBaudRate);
    ui_->Combo3->SetComProperty(cpDataBits);
    ui_->Combo4->SetComProperty(cpStopBits);
    ui_->Combo5->SetComProperty(cpParity);
    ui_->Combo6->SetComProperty(cpFlowControl);
}

TSerialSetupForm::~TSerialSetupForm() = default;

void TSerialSetupForm::Bind(TCustomSerialPort* port) {
    for (TSerialComboBox* combo :
         {ui_->Combo1, ui_->Combo2, ui_->Combo3, ui_->Combo4, ui_->Combo5, ui_->Combo6})
        combo->SetComPort(port);
}

void TSerialSetupForm::ApplyTo(TCustomSerialPort& port) {
    port.BeginSettingsUpdate();
    try {
        for (TSerialComboBox* combo :
             {ui_->Combo1, ui_->Combo2, ui_->Combo3, ui_->Combo4, ui_->Combo5, ui_->Combo6})
            combo->Select().Apply();
    } catch (...) {
        // The update must end even so, or the port would defer its settings for good.
        try {
            port.EndSettingsUpdate();
        } catch (...) {
            // The first failure is the one to report.
        }
        throw;
    }
    port.EndSettingsUpdate();
}

void ShowSettingsDialog(TCustomSerialPort& port, QWidget* parent,
                        TSerialSelect::PortLister lister) {
    TSerialSetupForm form(parent, std::move(lister));
    form.Bind(&port);
    if (form.exec() == QDialog::Accepted) form.ApplyTo(port);
}
