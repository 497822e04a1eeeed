#include "window/control_table.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <map>

namespace kova {
namespace {

constexpr int kArrayPerRow = 5;

QString MemberCaption(const ControlEntry& entry, int member) {
  const QString caption = QString::fromUtf8(entry.caption);
  if (entry.count == 1) return caption;
  if (caption.contains('|')) return caption.split('|').value(member);
  return QString(caption).replace('#', QString::number(member + 1));
}

QWidget* Create(const ControlEntry& entry, const QString& caption) {
  switch (entry.kind) {
    case Kind::Label: {
      auto* label = new QLabel(caption);
      label->setWordWrap((entry.flags & kWrap) != 0);
      return label;
    }
    case Kind::Text:
      return new QLineEdit;
    case Kind::CheckBox:
      return new QCheckBox(caption);
    case Kind::Option:
      return new QRadioButton(caption);
    case Kind::List:
      return new QComboBox;
    case Kind::Button:
      return new QPushButton(caption);
    case Kind::Frame:
      return new QGroupBox(caption);
  }
  return nullptr;
}

void ApplyFlags(QWidget* widget, unsigned flags) {
  if (flags & kBold) {
    QFont font = widget->font();
    font.setBold(true);
    widget->setFont(font);
  }
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setReadOnly((flags & (kReadOnly | kShownOnly)) != 0);
    if (flags & kShownOnly) {
      QPalette palette = edit->palette();
      palette.setColor(QPalette::Base, palette.color(QPalette::Window));
      edit->setPalette(palette);
    }
  }
  if (flags & kDisabled) widget->setEnabled(false);
  if (flags & kHidden) widget->setVisible(false);
}

}  // namespace

void BuildControls(QWidget* page, std::span<const ControlEntry> table,
                   const NameResolver& resolve) {
  const auto name = [&](const char* text) { return resolve ? resolve(text) : std::string(text); };
  auto* pageGrid = new QGridLayout(page);
  std::map<std::string, QGridLayout*> grids{{"", pageGrid}};
  for (const ControlEntry& entry : table) {
    QGridLayout* grid = grids.at(name(entry.in));
    for (int member = 0; member < entry.count; ++member) {
      QWidget* widget = Create(entry, MemberCaption(entry, member));
      std::string objectName = name(entry.name);
      if (entry.count > 1) objectName += "(" + std::to_string(member) + ")";
      widget->setObjectName(QString::fromStdString(objectName));
      widget->setToolTip(QString::fromUtf8(entry.tip));
      ApplyFlags(widget, entry.flags);
      grid->addWidget(widget, entry.row + member / kArrayPerRow, entry.col + member % kArrayPerRow,
                      1, entry.span);
      if (entry.kind == Kind::Frame) grids[objectName] = new QGridLayout(widget);
    }
  }
  // Controls gather at the top left; free space goes to the right and below.
  pageGrid->setRowStretch(pageGrid->rowCount(), 1);
  pageGrid->setColumnStretch(pageGrid->columnCount(), 1);
}

}  // namespace kova
