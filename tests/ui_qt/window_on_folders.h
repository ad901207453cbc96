#pragma once
// The main window on the window fixture's folders, compared at its start, for tests that drive it.
#include <gtest/gtest.h>

#include <QTest>
#include <memory>

#include "tests/ui_qt/window_fixture.h"
#include "ui/qt/main_window.h"
#include "ui/qt/result_view.h"
#include "ui/qt/status_panes.h"

namespace testsupport {

// The window on the fixture's folders, compared at its start.
struct WindowOnFolders : ::testing::Test {
  testsupport::WindowFixture folders;
  config::CProfile profile;
  std::unique_ptr<ui::qt::MainWindow> window;

  void SetUp() override {
    folders.layOut();
    folders.chooseFolders();
    window = std::make_unique<ui::qt::MainWindow>(folders.options, profile);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->Begin(true);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window->Work().Busy(); }, 20000));
    window->View().setFocus();
  }
  // Conflicts, to target, to source, deletions, carried out, shown.
  std::string panes() const {
    std::string text;
    for (int pane = 1; pane <= 6; ++pane) text += (pane > 1 ? " " : "") + window->Panes().CountText(pane).toStdString();
    return text;
  }
  void goTo(const std::string& name) {
    ui::ResultList& list = window->Work().Model().List();
    for (int row = 0; row < list.RowCount(); ++row) {
      const ui::RowView view = list.Row(row);
      if (view.source.name == name || view.target.name == name) {
        window->View().setCurrentIndex(window->Work().Table().index(row, 1));
        return;
      }
    }
    ADD_FAILURE() << "no row shows " << name;
  }
};


}  // namespace testsupport
