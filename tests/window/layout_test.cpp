// SPDX-License-Identifier: GPL-3.0-or-later
// The window's geometry, run at the default scale and at QT_SCALE_FACTOR=2:
// it fits a small screen, every caption and value shows whole, columns line
// up and stay put, the Tab key follows the rows, and every input control has
// a name for assistive tools.
#include <QAbstractButton>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <set>

#include "image/field_table.h"
#include "window_test_support.h"

namespace kova::test {
namespace {

class LayoutTest : public WindowTest {
 protected:
  // The longest values each field can hold.
  void FillWidest() {
    Configuration& c = cfg();
    for (const Field& field : Fields()) {
      if (field.kind != FieldKind::Text || field.home != FieldHome::Unit) continue;
      const bool ric = field.check == FieldCheck::Ric || field.check == FieldCheck::RepeaterRic;
      const std::string widest = field.check == FieldCheck::Time ? "327670"
                                 : ric                           ? "2097151"
                                                                 : "255";
      for (int i = 0; i < field.count(); ++i)
        SetText(c, field, field.count() > 1 ? i : -1, widest);
    }
    c.Ver = {"3.15", "Jan 10 2006", "EEprom Layout Version 1"};
    c.ETI = "99999:59";
    c.VC = "01234567890123456789";
    c.RlyMode = c.SndrMode = OutputMode::Timed;
    window->Refresh();
  }
  std::vector<QWidget*> visibleOn(int tab) {
    showTab(tab);
    std::vector<QWidget*> shown;
    QWidget* page = window->tabs().widget(tab);
    for (QWidget* w : page->findChildren<QWidget*>())
      if (w->isVisible()) shown.push_back(w);
    return shown;
  }
};

TEST_F(LayoutTest, TheWindowFitsASmallScreenAndEveryPageShowsWhole) {
  const QSize needed = window->sizeHint();
  EXPECT_LE(needed.width(), 1000);
  EXPECT_LE(needed.height(), 700);
  EXPECT_LE(window->minimumWidth(), needed.width());
  EXPECT_LE(window->minimumHeight(), needed.height());
  window->resize(needed);
  for (int tab = 0; tab < window->tabs().count(); ++tab) {
    window->tabs().setTabEnabled(tab, true);  // PLL's page is measured too
    showTab(tab);
    QWidget* page = window->tabs().widget(tab);
    const QSize room = page->parentWidget()->size();  // the scroll area's viewport
    EXPECT_LE(page->minimumSizeHint().width(), room.width()) << tab;
    EXPECT_LE(page->minimumSizeHint().height(), room.height()) << tab;
  }
}

TEST_F(LayoutTest, EveryCaptionAndValueShowsWhole) {
  FillWidest();
  for (const bool monitor : {false, true}) {  // "TMax", then "Timeout"
    for (Zone& zone : cfg().Zones)
      zone.TxMonitor = monitor;
    window->Refresh();
    for (int tab = 0; tab < window->tabs().count(); ++tab) {
      window->tabs().setTabEnabled(tab, true);  // PLL's page is looked at too
      for (QWidget* w : visibleOn(tab)) {
        const std::string name = w->objectName().toStdString();
        const QFontMetrics fm = w->fontMetrics();
        if (auto* label = qobject_cast<QLabel*>(w)) {
          if (label->wordWrap()) {
            EXPECT_GE(label->height(), label->heightForWidth(label->width())) << name;
          } else {
            EXPECT_GE(label->contentsRect().width(), fm.horizontalAdvance(label->text())) << name;
          }
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
          const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
          EXPECT_GE(edit->width() - 2 * frame - 4, fm.horizontalAdvance(edit->text()))
              << name << " " << edit->text().toStdString();
        } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
          EXPECT_GE(box->width(), fm.horizontalAdvance(box->title())) << name;
        } else if (auto* push = qobject_cast<QPushButton*>(w)) {
          EXPECT_GE(push->width(), fm.horizontalAdvance(push->text()) + 8) << name;
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
          EXPECT_GE(button->width(), button->minimumSizeHint().width()) << name;
        }
      }
    }
  }
}

TEST_F(LayoutTest, ColumnsLineUpAndNothingMovesByItself) {
  const auto x = [&](const std::string& name) {
    QWidget* w = find(name);
    return w->mapTo(w->window(), QPoint()).x();
  };
  for (int zone = 0; zone < 10; ++zone) {
    showTab(kFirstZoneTab + zone);
    const int ric = x(ControlName("txtCloseRIC1", zone)),
              end = x(ControlName("txtCloseRIC2", zone));
    for (const char* start : {"txtOpenRIC1", "txtToggleRIC1"})
      EXPECT_EQ(x(ControlName(start, zone)), ric) << start << zone;
    for (const char* last : {"txtOpenRIC2", "txtToggleRIC2"})
      EXPECT_EQ(x(ControlName(last, zone)), end) << last << zone;
    const int time = x(ControlName("txtCloseTMax", zone));
    click(ControlName("chkTxMonitor", zone));  // "TMax" becomes "Timeout"
    EXPECT_EQ(find<QLabel>(ControlName("Label28", zone))->text(), "Timeout");
    EXPECT_EQ(x(ControlName("txtCloseTMax", zone)), time) << zone;
    EXPECT_EQ(x(ControlName("txtCloseRIC1", zone)), ric) << zone;
  }

  // A Get that brings long versions, and a Put with its busy captions, leave the window's size.
  unit = [](const OperationRequest& request, const ProgressSink& progress) {
    progress({.phase = "VERIFY", .done = 128, .expected = 256});
    OperationResult result;
    result.kind = request.kind;
    result.succeeded = true;
    result.document = request.document;
    result.document->cfg.Ver = {"3.15 build 2211", "Dec 24 2026", "EEprom Layout Version 1"};
    return result;
  };
  const QSize size = window->size();
  for (const auto command : {&MainWindow::OnGetClicked, &MainWindow::OnPutClicked}) {
    (window.get()->*command)();
    QApplication::processEvents();
    EXPECT_EQ(window->size(), size);
    waitIdle();
    QApplication::processEvents();
    EXPECT_EQ(window->size(), size);
  }
  EXPECT_EQ(text("txtVer(2)"), "EEprom Layout Version 1");
}

// The tab in front is drawn apart from the others, in Fusion and in another style.
TEST_F(LayoutTest, TheFrontTabStandsOutInEveryStyle) {
  const QString style = QApplication::style()->name();
  for (const char* name : {"Fusion", "Windows"}) {
    QApplication::setStyle(name);
    Start();
    for (const int front : {kGeneralTab, kOptionsTab}) {
      showTab(front);
      const auto background = [&](int tab) {
        QAbstractButton* button = window->tabs().tabButton(tab);
        return button->grab().toImage().pixel(6, 6);
      };
      for (int tab = 0; tab < window->tabs().count(); ++tab) {
        if (tab == front || tab == kPllTab) continue;
        EXPECT_NE(background(tab), background(front)) << name << " " << tab;
        EXPECT_EQ(background(tab), background(front == 1 ? 2 : 1)) << name << " " << tab;
      }
    }
  }
  QApplication::setStyle(style);
}

TEST_F(LayoutTest, TheTabKeyFollowsTheRowsOfEachFrame) {
  for (int tab = 0; tab < window->tabs().count(); ++tab) {
    window->tabs().setTabEnabled(tab, true);
    showTab(tab);
    QWidget* page = window->tabs().widget(tab);
    std::vector<QWidget*> order;
    for (QWidget* w = page->nextInFocusChain(); w != page; w = w->nextInFocusChain()) {
      if (page->isAncestorOf(w) && w->isVisible() && (w->focusPolicy() & Qt::TabFocus))
        order.push_back(w);
    }
    EXPECT_FALSE(order.empty()) << tab;
    for (std::size_t i = 1; i < order.size(); ++i) {
      const QWidget *a = order[i - 1], *b = order[i];
      if (a->parentWidget() != b->parentWidget()) continue;
      const QRect ra = a->geometry(), rb = b->geometry();
      // The next row, or further right in the same row.
      const bool sameRow = rb.top() < ra.bottom() && ra.top() < rb.bottom();
      EXPECT_TRUE(sameRow ? rb.left() > ra.left() : rb.top() >= ra.bottom())
          << tab << ": " << a->objectName().toStdString() << " then "
          << b->objectName().toStdString();
    }
  }
}

TEST_F(LayoutTest, EveryInputControlHasAName) {
  std::set<QString> names;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    const bool input = qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                       qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w);
    if (!input || qobject_cast<QComboBox*>(w->parentWidget())) continue;  // a list's own editor
    const std::string name = w->objectName().toStdString();
    EXPECT_FALSE(w->accessibleName().isEmpty()) << name;
    EXPECT_TRUE(names.insert(w->accessibleName()).second)
        << name << " shares " << w->accessibleName().toStdString();
  }
  const std::pair<const char*, const char*> named[] = {
      {"txtCloseRIC1(2)", "Chan 3 Close RIC range start"},
      {"txtCloseRIC2(2)", "Chan 3 Close RIC range end"},
      {"txtCloseTMax(9)", "Chan 10 Close TMax"},
      {"lstToggleFunc(0)", "Chan 1 Toggle Beep"},
      {"lstPortDevice", "Device"},
      {"txtVer(2)", "Kova Firmware Version 3"},
      {"opt512", "POCSAG Baud Rate 512"},
      {"chkRlyChan(0)", "Common Relay Chan 1"},
      {"txtRepeatRIC4", "Serial Output - Numeric Messages RIC range end"}};
  for (const auto& [control, name] : named)
    EXPECT_EQ(find(control)->accessibleName(), name);
  EXPECT_EQ(find<QLabel>("Label25")->buddy(), find("lstComPort"));
  EXPECT_EQ(find<QLabel>("lblPortDevice")->text(), "Device");
  EXPECT_FALSE(find("lstPortDevice")->toolTip().isEmpty());
  for (int zone = 0; zone < 10; ++zone)
    EXPECT_EQ(find<QLabel>("lblZone(" + std::to_string(zone) + ")")->text(),
              QStringLiteral("Chan %1").arg(zone + 1));
}

}  // namespace
}  // namespace kova::test
