#include "serial/qt/serial_combo_box.h"

#include <QSignalBlocker>

#include "serial/serial_port_list.h"

TSerialComboBox::TSerialComboBox(QWidget* parent)
    : QComboBox(parent), select_([](std::vector<std::string>& list) { ListSerialPorts(list); }) {
    setEditable(false);  // a drop-down list only
    select_.OnItemsChanged = [this] { ShowItems(); };
    select_.OnSelectionChanged = [this] { ShowSelection(); };
    // Only the user's own choice: a selection made by the binding is no pick.
    connect(this, &QComboBox::activated, this, [this](int index) { select_.Pick(index); });
}

void TSerialComboBox::SetPortLister(TSerialSelect::PortLister lister) {
    select_.SetPortLister(std::move(lister));
}

void TSerialComboBox::ShowItems() {
    const QSignalBlocker quiet(this);
    clear();
    for (const std::string& item : select_.Items()) addItem(QString::fromStdString(item));
    setCurrentIndex(select_.ItemIndex());
}

void TSerialComboBox::ShowSelection() {
    setCurrentIndex(select_.ItemIndex());
}
