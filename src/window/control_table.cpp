// SPDX-License-Identifier: GPL-3.0-or-later
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
#include <QStyle>
#include <algorithm>
#include <map>
#include <set>

namespace kova {
namespace {

constexpr int kArrayPerRow = 5;

QString MemberCaption(const ControlEntry& entry, int member) {
  const QString caption = QString::fromUtf8(entry.caption);
  if (entry.count == 1) return caption;
  return QString(caption).replace('#', QString::number(member + 1));
}

// The entry's name before the zone page resolves its "#".
std::string EntryName(const ControlEntry& entry) {
  if (!entry.field) return entry.name;
  const Field& field = FieldOf(*entry.field);
  if (entry.item >= 0) return field.items.at(static_cast<std::size_t>(entry.item)).control;
  if (field.zoned() && entry.count == 1) return ControlName(field) + "(#)";
  return ControlName(field);
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
    case Kind::Option: {
      // The Tab key enters a group on its selected option, so that Space
      // cannot change the choice by surprise; the arrows move within it.
      auto* option = new QRadioButton(caption);
      option->setFocusPolicy(Qt::ClickFocus);
      QObject::connect(option, &QAbstractButton::toggled, option, [option](bool on) {
        option->setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
      });
      return option;
    }
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
    // A text to read or copy, not a stop of the Tab key.
    if (edit->isReadOnly()) edit->setFocusPolicy(Qt::ClickFocus);
    if (flags & kShownOnly) {
      QPalette palette = edit->palette();
      palette.setColor(QPalette::Base, palette.color(QPalette::Window));
      edit->setPalette(palette);
    }
  }
  if (flags & kDisabled) widget->setEnabled(false);
  if (flags & kHidden) widget->setVisible(false);
}

// The room a text box needs for its text: the text itself, the frame and
// the margins of the style, and a little air.
int TextBoxWidth(const QLineEdit& edit, const QString& text) {
  const QMargins margins = edit.textMargins();
  const int frame = edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &edit);
  return edit.fontMetrics().horizontalAdvance(text) + margins.left() + margins.right() + 2 * frame +
         edit.fontMetrics().averageCharWidth() + 4;
}

void ApplyWidth(QWidget* widget, const char* fits) {
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    // A RIC: 7 digits and one to spare.
    const QString text = *fits ? QString::fromUtf8(fits) : QStringLiteral("00000000");
    edit->setFixedWidth(TextBoxWidth(*edit, text));
  } else if (auto* button = qobject_cast<QPushButton*>(widget); button && *fits) {
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(QString::fromUtf8(fits)) +
                          2 * button->fontMetrics().averageCharWidth() + 8);
  } else if (auto* label = qobject_cast<QLabel*>(widget); label && *fits) {
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QString::fromUtf8(fits)));
  }
}

// What a frame or grid row says about the controls in it, for their names.
struct Context {
  QString frame;                    // the enclosing frames' captions, "Chan 3 Close"
  std::map<int, QLabel*> rowLabel;  // the last label of each row
  std::map<int, QWidget*> rowText;  // a range's start box, once "<->" follows it
  std::map<int, QString> rowCheck;  // the check box that leads a row, by row
  std::set<QString> names;          // the names given in the frame so far
};

QString Joined(const QString& a, const QString& b) {
  if (a.isEmpty()) return b;
  if (b.isEmpty()) return a;
  return a + ' ' + b;
}

QString Plain(QString caption) {
  return caption.remove('&');
}

}  // namespace

void BuildControls(QWidget* page, std::span<const ControlEntry> table, const NameResolver& resolve,
                   const QString& zone) {
  const auto name = [&](const std::string& text) { return resolve ? resolve(text) : text; };
  auto* pageGrid = new QGridLayout(page);
  std::map<std::string, QGridLayout*> grids{{"", pageGrid}};
  std::map<std::string, Context> contexts{{"", Context{zone, {}, {}, {}, {}}}};
  std::vector<QWidget*> focusOrder;
  for (const ControlEntry& entry : table) {
    const std::string in = name(entry.in);
    QGridLayout* grid = grids.at(in);
    Context& context = contexts.at(in);
    const std::string entryName = name(EntryName(entry));
    for (int member = 0; member < entry.count; ++member) {
      const QString caption = MemberCaption(entry, member);
      QWidget* widget = Create(entry, caption);
      std::string objectName = entryName;
      if (entry.count > 1) objectName += "(" + std::to_string(member) + ")";
      widget->setObjectName(QString::fromStdString(objectName));
      widget->setToolTip(QString::fromUtf8(entry.tip));
      ApplyFlags(widget, entry.flags);
      ApplyWidth(widget, entry.fits);
      const int row = entry.row + member / kArrayPerRow;
      grid->addWidget(widget, row, entry.col + member % kArrayPerRow, 1, entry.span);

      switch (entry.kind) {
        case Kind::Frame: {
          grids[objectName] = new QGridLayout(widget);
          // Frames nest two deep; narrow margins keep the Options page within a small screen.
          grids[objectName]->setContentsMargins(6, 6, 6, 6);
          // A captionless frame is an option group named by the label beside it.
          const QString own = caption.isEmpty() && context.rowLabel.contains(row)
                                  ? context.rowLabel[row]->text()
                                  : caption;
          contexts[objectName] = Context{Joined(context.frame, own), {}, {}, {}, {}};
          break;
        }
        case Kind::Label:
          if (caption == "<->") {
            context.rowText[row] = focusOrder.empty() ? nullptr : focusOrder.back();
          } else {
            context.rowLabel[row] = qobject_cast<QLabel*>(widget);
          }
          break;
        case Kind::Text:
        case Kind::List: {
          QString own;
          QLabel* label = context.rowLabel.contains(row) ? context.rowLabel[row] : nullptr;
          // Or a caption on the row above that names nothing yet.
          if (!label && context.rowLabel.contains(row - 1) && !context.rowLabel[row - 1]->buddy())
            label = context.rowLabel[row - 1];
          if (label) {
            label->setBuddy(widget);
            own = label->text();
          } else {
            own = QString::fromUtf8(entry.tip);
          }
          if (entry.count > 1) own += ' ' + QString::number(member + 1);
          if (QWidget* start = context.rowText.contains(row) ? context.rowText[row] : nullptr) {
            // The second box of "RIC <-> RIC": the range's end, and the first its start.
            start->setAccessibleName(start->accessibleName() + " range start");
            own += " range end";
            context.rowText.erase(row);
          }
          // A second "RIC" in the frame is the one of its row's check box ("Sub RIC").
          if (context.names.contains(own) && context.rowCheck.contains(row))
            own = Joined(context.rowCheck[row], own);
          context.names.insert(own);
          widget->setAccessibleName(Joined(context.frame, own));
          focusOrder.push_back(widget);
          break;
        }
        case Kind::CheckBox:
          if (!context.rowCheck.contains(row)) context.rowCheck[row] = Plain(caption);
          [[fallthrough]];
        case Kind::Option:
        case Kind::Button:
          widget->setAccessibleName(Joined(context.frame, Plain(caption)));
          focusOrder.push_back(widget);
          break;
      }
    }
  }
  for (std::size_t i = 1; i < focusOrder.size(); ++i)
    QWidget::setTabOrder(focusOrder[i - 1], focusOrder[i]);
  for (const auto& [frame, grid] : grids) {
    // Free space goes to the right of a frame's controls, not between them.
    if (!frame.empty()) grid->setColumnStretch(grid->columnCount(), 1);
  }
  // Controls gather at the top left; free space goes to the right and below.
  pageGrid->setRowStretch(pageGrid->rowCount(), 1);
  pageGrid->setColumnStretch(pageGrid->columnCount(), 1);
}

void AlignColumns(const std::vector<QWidget*>& frames) {
  std::map<int, int> widths;
  for (QWidget* frame : frames) {
    auto* grid = qobject_cast<QGridLayout*>(frame->layout());
    for (int i = 0; i < grid->count(); ++i) {
      int row = 0, col = 0, rows = 0, cols = 0;
      grid->getItemPosition(i, &row, &col, &rows, &cols);
      QWidget* widget = grid->itemAt(i)->widget();
      if (cols != 1 || !widget) continue;
      const int width =
          std::clamp(widget->sizeHint().width(), widget->minimumWidth(), widget->maximumWidth());
      widths[col] = std::max(widths[col], width);
    }
  }
  for (QWidget* frame : frames) {
    auto* grid = qobject_cast<QGridLayout*>(frame->layout());
    for (const auto& [col, width] : widths)
      grid->setColumnMinimumWidth(col, width);
  }
}

}  // namespace kova
