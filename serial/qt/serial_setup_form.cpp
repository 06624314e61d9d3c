#include "serial/qt/serial_setup_form.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>

#include "platform/posix/serial_port_list.h"
#include "serial/qt/serial_combo_box.h"
#include "serial/serial_port.h"
#include "ui_serial_setup_form.h"

namespace {

// The port list's items as "name  (device)" where the name is a link to a device.
class PortItemDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const QString device = index.data(TSerialSetupForm::kDeviceRole).toString();
        if (!device.isEmpty()) option->text += QStringLiteral("  (") + device + QLatin1Char(')');
    }
};

}  // namespace

TSerialSetupForm::TSerialSetupForm(QWidget* parent, TSerialSelect::PortLister lister)
    : QDialog(parent), ui_(std::make_unique<Ui::TSerialSetupForm>()) {
    ui_->setupUi(this);
    setFixedSize(size());
    TSerialComboBox* ports = ui_->Combo1;
    ports->setEditable(true);
    ports->setInsertPolicy(QComboBox::NoInsert);
    ports->setCompleter(nullptr);  // what is typed stays as typed
    ports->setItemDelegate(new PortItemDelegate(ports));
    connect(ports->model(), &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { ShowDevices(first, last); });
    if (lister) ports->SetPortLister(std::move(lister));
    ports->SetComProperty(cpPort);
    ui_->Combo2->SetComProperty(cpBaudRate);
    ui_->Combo3->SetComProperty(cpDataBits);
    ui_->Combo4->SetComProperty(cpStopBits);
    ui_->Combo5->SetComProperty(cpParity);
    ui_->Combo6->SetComProperty(cpFlowControl);
}

TSerialSetupForm::~TSerialSetupForm() = default;

void TSerialSetupForm::ShowDevices(int first, int last) {
    TSerialComboBox* ports = ui_->Combo1;
    for (int i = first; i <= last; ++i) {
        const std::string device = KernelDeviceName(ports->itemText(i).toStdString());
        if (!device.empty()) ports->setItemData(i, QString::fromStdString(device), kDeviceRole);
        ports->setItemData(i, ports->itemText(i), Qt::ToolTipRole);
    }
    // The popup shows the long stable names whole, wider than the list itself if it must.
    QAbstractItemView* view = ports->view();
    int widest = 0;
    for (int i = 0; i < ports->count(); ++i)
        widest = std::max(widest, view->sizeHintForIndex(ports->model()->index(i, 0)).width());
    view->setMinimumWidth(widest + view->verticalScrollBar()->sizeHint().width() + 8);
}

void TSerialSetupForm::Bind(TCustomSerialPort* port) {
    for (TSerialComboBox* combo :
         {ui_->Combo1, ui_->Combo2, ui_->Combo3, ui_->Combo4, ui_->Combo5, ui_->Combo6})
        combo->SetComPort(port);
    if (port && ui_->Combo1->currentIndex() < 0)
        ui_->Combo1->setEditText(QString::fromStdString(port->Port()));
}

std::string TSerialSetupForm::PortName() const {
    return ui_->Combo1->currentText().trimmed().toStdString();
}

void TSerialSetupForm::ApplyTo(TCustomSerialPort& port) {
    port.BeginSettingsUpdate();
    try {
        // Typed or chosen; an emptied field keeps the port's name.
        const std::string name = PortName();
        if (!name.empty()) port.SetPort(name);
        for (TSerialComboBox* combo :
             {ui_->Combo2, ui_->Combo3, ui_->Combo4, ui_->Combo5, ui_->Combo6})
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
