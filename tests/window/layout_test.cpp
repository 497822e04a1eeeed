// SPDX-License-Identifier: GPL-3.0-or-later
// The window's geometry, run at the default scale and at QT_SCALE_FACTOR=2:
// it fits a small screen, every caption and value shows whole, columns line
// up and stay put, and the Tab key follows the rows.
#include "every_field.h"
#include "image/field_table.h"
#include "window_test_support.h"

namespace kova::test {
namespace {

using LayoutTest = WindowTest;

// A caption or a value that shows whole: no letter cut off or hidden.
bool ShowsWhole(QWidget* w) {
  const QFontMetrics fm = w->fontMetrics();
  if (auto* label = qobject_cast<QLabel*>(w)) {
    return label->wordWrap() ? label->height() >= label->heightForWidth(label->width())
                             : label->contentsRect().width() >= fm.horizontalAdvance(label->text());
  }
  if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    return edit->width() - 2 * frame - 4 >= fm.horizontalAdvance(edit->text());
  }
  if (auto* box = qobject_cast<QGroupBox*>(w))
    return box->width() >= fm.horizontalAdvance(box->title());
  if (auto* push = qobject_cast<QPushButton*>(w))
    return push->width() >= fm.horizontalAdvance(push->text()) + 8;
  if (auto* button = qobject_cast<QAbstractButton*>(w))
    return button->width() >= button->minimumSizeHint().width();
  return true;
}

// Within a frame, the next stop is further right in the same row or on a later row.
bool FollowsTheRows(const QWidget* a, const QWidget* b) {
  const QRect ra = a->geometry(), rb = b->geometry();
  const bool sameRow = rb.top() < ra.bottom() && ra.top() < rb.bottom();
  return a->parentWidget() != b->parentWidget() ||
         (sameRow ? rb.left() > ra.left() : rb.top() >= ra.bottom());
}

// With the longest values each field can hold, every page (PLL's too), and the
// zone pages under "TMax" and under "Timeout", whose ranges' columns stay put.
TEST_F(LayoutTest, EveryPageFitsShowsEverythingWholeAndKeepsItsRowsAndColumns) {
  const QSize needed = window->sizeHint();
  EXPECT_TRUE(needed.boundedTo({1000, 700}) == needed) << needed.width() << "x" << needed.height();
  EXPECT_TRUE(window->minimumSize().boundedTo(needed) == window->minimumSize());
  window->resize(needed);
  for (const Field& field : Fields()) {
    if (field.kind != FieldKind::Text || field.home != FieldHome::Unit) continue;
    const bool ric = field.check == FieldCheck::Ric || field.check == FieldCheck::RepeaterRic;
    const char* longest = field.check == FieldCheck::Time ? "327670" : ric ? "2097151" : "255";
    for (const int i : kova::testing::Indexes(field))
      SetText(cfg(), field, i, longest);
  }
  cfg().Ver = {"3.15", "Jan 10 2006", "EEprom Layout Version 1"};
  cfg().ETI = "99999:59";
  cfg().VC = "01234567890123456789";
  cfg().RlyMode = cfg().SndrMode = OutputMode::Timed;
  std::map<int, std::vector<int>> columns;  // each zone's, as first seen
  for (const bool monitor : {false, true}) {
    for (Zone& zone : cfg().Zones)
      zone.TxMonitor = monitor;
    window->Refresh();
    for (int tab = 0; tab < window->tabs().count(); ++tab) {
      window->tabs().setTabEnabled(tab, true);
      showTab(tab);
      QWidget* page = window->tabs().widget(tab);
      const QSize room = page->parentWidget()->size();  // the scroll area's viewport
      EXPECT_TRUE(page->minimumSizeHint().boundedTo(room) == page->minimumSizeHint()) << tab;
      for (QWidget* w : page->findChildren<QWidget*>())
        EXPECT_TRUE(!w->isVisible() || ShowsWhole(w)) << w->objectName().toStdString();
      // The Tab key stops on the page's controls and the command buttons, an option
      // group on its choice, nothing hidden or read-only; within a frame, row by row.
      std::vector<QWidget*> stops;
      while (stops.size() < 100) {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.get(),
                        Qt::Key_Tab);
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        if (std::find(stops.begin(), stops.end(), w) != stops.end()) break;
        stops.push_back(w);
      }
      EXPECT_TRUE(std::count(stops.begin(), stops.end(), find("cmdGet")) &&
                  std::count(stops.begin(), stops.end(), find("cmdPut")) && stops.size() > 2)
          << tab;
      for (std::size_t i = 0; i < stops.size(); ++i) {
        const QWidget* w = stops[i];
        const auto* option = qobject_cast<const QRadioButton*>(w);
        const auto* edit = qobject_cast<const QLineEdit*>(w);
        EXPECT_TRUE(w->isVisible() && w->isEnabled() &&
                    (page->isAncestorOf(w) || w->objectName().startsWith("cmd")) &&
                    !(option && !option->isChecked()) && !(edit && edit->isReadOnly()) &&
                    (i == 0 || FollowsTheRows(stops[i - 1], w)))
            << tab << ": " << (i ? stops[i - 1]->objectName().toStdString() : "") << " then "
            << w->objectName().toStdString();
      }
      const int zone = tab - kFirstZoneTab;
      if (zone < 0 || zone >= 10) continue;
      EXPECT_EQ(find<QLabel>(ControlName("Label28", zone))->text(), monitor ? "Timeout" : "TMax");
      std::vector<int> x;  // each row's range, then the TMax column
      for (const char* name : {"txtCloseRIC1", "txtCloseRIC2", "txtOpenRIC1", "txtOpenRIC2",
                               "txtToggleRIC1", "txtToggleRIC2", "txtCloseTMax"})
        x.push_back(find(ControlName(name, zone))->mapTo(window.get(), QPoint()).x());
      for (std::size_t i = 2; i < 6; ++i)
        EXPECT_EQ(x[i], x[i % 2]) << zone << " " << i;
      EXPECT_EQ(columns.emplace(zone, x).first->second, x) << zone;
    }
  }
}

// A Get with long versions and a Put's busy captions leave the window's size.
TEST_F(LayoutTest, NothingMovesByItself) {
  unit = [](const OperationRequest& request, const ProgressSink& progress) {
    progress({.phase = "VERIFY", .done = 128, .expected = 256});
    OperationResult result;
    std::tie(result.kind, result.succeeded, result.document) =
        std::tuple(request.kind, true, request.document);
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

}  // namespace
}  // namespace kova::test
