// SPDX-License-Identifier: GPL-3.0-or-later
// The window's geometry, run at the default scale and at QT_SCALE_FACTOR=2:
// it fits a small screen, every caption and value shows whole, columns line
// up and stay put, the Tab key follows the rows, and every input control has
// a name for assistive tools.
#include "image/field_table.h"
#include "window_test_support.h"

namespace kova::test {
namespace {

class LayoutTest : public WindowTest {
 protected:
  // The visible controls of each page, PLL's too, with the page shown.
  template <class Check>
  void eachPage(Check check) {
    for (int tab = 0; tab < window->tabs().count(); ++tab) {
      window->tabs().setTabEnabled(tab, true);
      showTab(tab);
      QWidget* page = window->tabs().widget(tab);
      std::vector<QWidget*> shown;
      for (QWidget* w : page->findChildren<QWidget*>())
        if (w->isVisible()) shown.push_back(w);
      check(tab, page, shown);
    }
  }
};

TEST_F(LayoutTest, TheWindowFitsASmallScreenAndEveryPageShowsWhole) {
  const QSize needed = window->sizeHint();
  EXPECT_TRUE(needed.width() <= 1000 && needed.height() <= 700)
      << needed.width() << "x" << needed.height();
  EXPECT_TRUE(window->minimumWidth() <= needed.width() &&
              window->minimumHeight() <= needed.height());
  window->resize(needed);
  eachPage([](int tab, QWidget* page, const std::vector<QWidget*>&) {
    const QSize room = page->parentWidget()->size();  // the scroll area's viewport
    EXPECT_TRUE(page->minimumSizeHint().boundedTo(room) == page->minimumSizeHint()) << tab;
  });
}

// With the longest values each field can hold, for "TMax" and for "Timeout".
TEST_F(LayoutTest, EveryCaptionAndValueShowsWhole) {
  for (const Field& field : Fields()) {
    if (field.kind != FieldKind::Text || field.home != FieldHome::Unit) continue;
    const bool ric = field.check == FieldCheck::Ric || field.check == FieldCheck::RepeaterRic;
    for (int i = 0; i < field.count(); ++i)
      SetText(cfg(), field, field.count() > 1 ? i : -1,
              field.check == FieldCheck::Time ? "327670"
              : ric                           ? "2097151"
                                              : "255");
  }
  cfg().Ver = {"3.15", "Jan 10 2006", "EEprom Layout Version 1"};
  cfg().ETI = "99999:59";
  cfg().VC = "01234567890123456789";
  cfg().RlyMode = cfg().SndrMode = OutputMode::Timed;
  for (const bool monitor : {false, true}) {
    for (Zone& zone : cfg().Zones)
      zone.TxMonitor = monitor;
    window->Refresh();
    eachPage([](int, QWidget*, const std::vector<QWidget*>& shown) {
      for (QWidget* w : shown) {
        const std::string name = w->objectName().toStdString();
        const QFontMetrics fm = w->fontMetrics();
        if (auto* label = qobject_cast<QLabel*>(w)) {
          EXPECT_GE(label->wordWrap() ? label->height() : label->contentsRect().width(),
                    label->wordWrap() ? label->heightForWidth(label->width())
                                      : fm.horizontalAdvance(label->text()))
              << name;
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
          const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
          EXPECT_GE(edit->width() - 2 * frame - 4, fm.horizontalAdvance(edit->text())) << name;
        } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
          EXPECT_GE(box->width(), fm.horizontalAdvance(box->title())) << name;
        } else if (auto* push = qobject_cast<QPushButton*>(w)) {
          EXPECT_GE(push->width(), fm.horizontalAdvance(push->text()) + 8) << name;
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
          EXPECT_GE(button->width(), button->minimumSizeHint().width()) << name;
        }
      }
    });
  }
}

// The ranges' columns line up on every zone page, and a caption that changes
// moves nothing; a Get with long versions and a Put's busy captions leave the size.
TEST_F(LayoutTest, ColumnsLineUpAndNothingMovesByItself) {
  const auto x = [&](const char* name, int zone) {
    QWidget* w = find(ControlName(name, zone));
    return w->mapTo(window.get(), QPoint()).x();
  };
  for (int zone = 0; zone < 10; ++zone) {
    showTab(kFirstZoneTab + zone);
    const std::vector<int> before = {x("txtCloseRIC1", zone), x("txtCloseRIC2", zone),
                                     x("txtCloseTMax", zone)};
    for (const char* row : {"Open", "Toggle"}) {
      EXPECT_EQ(x((std::string("txt") + row + "RIC1").c_str(), zone), before[0]) << row << zone;
      EXPECT_EQ(x((std::string("txt") + row + "RIC2").c_str(), zone), before[1]) << row << zone;
    }
    click(ControlName("chkTxMonitor", zone));  // "TMax" becomes "Timeout"
    EXPECT_EQ(find<QLabel>(ControlName("Label28", zone))->text(), "Timeout");
    EXPECT_EQ(
        (std::vector{x("txtCloseRIC1", zone), x("txtCloseRIC2", zone), x("txtCloseTMax", zone)}),
        before)
        << zone;
  }
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
        return window->tabs().tabButton(tab)->grab().toImage().pixel(6, 6);
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

// Within a frame, the next stop is further right in the same row or on a later row.
TEST_F(LayoutTest, TheTabKeyFollowsTheRowsOfEachFrame) {
  eachPage([](int tab, QWidget* page, const std::vector<QWidget*>&) {
    std::vector<QWidget*> order;
    for (QWidget* w = page->nextInFocusChain(); w != page; w = w->nextInFocusChain()) {
      if (page->isAncestorOf(w) && w->isVisible() && (w->focusPolicy() & Qt::TabFocus))
        order.push_back(w);
    }
    EXPECT_FALSE(order.empty()) << tab;
    for (std::size_t i = 1; i < order.size(); ++i) {
      if (order[i - 1]->parentWidget() != order[i]->parentWidget()) continue;
      const QRect a = order[i - 1]->geometry(), b = order[i]->geometry();
      const bool sameRow = b.top() < a.bottom() && a.top() < b.bottom();
      EXPECT_TRUE(sameRow ? b.left() > a.left() : b.top() >= a.bottom())
          << tab << ": " << order[i - 1]->objectName().toStdString() << " then "
          << order[i]->objectName().toStdString();
    }
  });
}

TEST_F(LayoutTest, EveryInputControlHasAName) {
  std::set<QString> names;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    const bool input = qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                       qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w);
    if (!input || qobject_cast<QComboBox*>(w->parentWidget())) continue;  // a list's own editor
    EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
    EXPECT_TRUE(names.insert(w->accessibleName()).second) << w->accessibleName().toStdString();
  }
  QStringList named;
  for (const char* control :
       {"txtCloseRIC2(2)", "txtCloseTMax(9)", "lstToggleFunc(0)", "lstPortDevice", "txtVer(2)",
        "opt512", "chkRlyChan(0)", "txtRepeatRIC4"})
    named << find(control)->accessibleName();
  EXPECT_EQ(named.join('|'),
            "Chan 3 Close RIC range end|Chan 10 Close TMax|Chan 1 Toggle Beep|Device|Kova Firmware "
            "Version 3|POCSAG Baud Rate 512|Common Relay Chan 1|Serial Output - Numeric Messages "
            "RIC range end");
  EXPECT_EQ(find<QLabel>("Label25")->buddy(), find("lstComPort"));
  EXPECT_FALSE(find("lstPortDevice")->toolTip().isEmpty());
  for (int zone = 0; zone < 10; ++zone)
    EXPECT_EQ(find<QLabel>(ControlName("lblZone", zone))->text(),
              QString::fromStdString(ZoneName(zone)));
}

}  // namespace
}  // namespace kova::test
