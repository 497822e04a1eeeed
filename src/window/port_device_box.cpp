// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/port_device_box.h"

#include <QComboBox>
#include <QLineEdit>

namespace kova {

PortDeviceBox::PortDeviceBox(QComboBox& box, QSettings& ports, Scan scan, QObject* parent)
    : QObject(parent), box_(box), ports_(ports), scan_(std::move(scan)) {
  if (!scan_) scan_ = AvailableSerialDevices;
  box_.setEditable(true);
  box_.setInsertPolicy(QComboBox::NoInsert);
  box_.setSizeAdjustPolicy(QComboBox::AdjustToContents);
  box_.setMinimumContentsLength(18);
  connect(&box_, &QComboBox::activated, this, [this](int index) {
    Choose(index <= 0 ? std::string() : box_.itemText(index).toStdString());
  });
  connect(box_.lineEdit(), &QLineEdit::editingFinished, this, &PortDeviceBox::OnEdited);
  Rescan();
}

void PortDeviceBox::Rescan() {
  found_ = DefaultPortOrder(scan_());
  FillList();
  Show(port_ - 1);
}

void PortDeviceBox::FillList() {
  box_.clear();
  box_.addItem(QString());  // the default, named by Show
  for (const SerialDevice& device : found_) {
    box_.addItem(QString::fromStdString(device.path));
    box_.setItemData(box_.count() - 1, QString::fromStdString(device.description), Qt::ToolTipRole);
  }
}

void PortDeviceBox::Show(ListIndex comPort) {
  port_ = comPort >= 0 && comPort < kPortCount ? comPort + 1 : 0;
  box_.setEnabled(port_ != 0);
  if (port_ == 0) {
    box_.setItemText(0, QString());
    box_.setCurrentIndex(0);
    return;
  }
  const PortMap map = Map();
  const std::string fallback = map.DefaultDeviceFor(port_);
  box_.setItemText(0, "Default: " + (fallback.empty() ? QStringLiteral("no device")
                                                      : QString::fromStdString(fallback)));
  if (!map.IsChosen(port_)) {
    box_.setCurrentIndex(0);
    return;
  }
  const QString chosen = QString::fromStdString(map.DeviceFor(port_));
  const int listed = box_.findText(chosen);
  box_.setCurrentIndex(listed > 0 ? listed : -1);
  if (listed <= 0) box_.setEditText(chosen);
}

void PortDeviceBox::OnEdited() {
  const QString text = box_.currentText().trimmed();
  // Leaving the default's caption as it is keeps the default.
  if (text.isEmpty() || text == box_.itemText(0)) {
    if (Map().IsChosen(port_)) Choose({});
    return;
  }
  Choose(text.toStdString());
}

void PortDeviceBox::Choose(const std::string& device) {
  if (port_ == 0) return;
  PortMap map = Map();
  if (map.IsChosen(port_) ? map.DeviceFor(port_) != device : !device.empty()) {
    map.Choose(port_, device);
  }
  Show(port_ - 1);
}

}  // namespace kova
