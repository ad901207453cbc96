#pragma once
// A work controller on two real folders, waited for as the window waits: the event loop runs
// until the worker's end has been handled.
#include <QTest>
#include <memory>

#include "app/run_setup.h"
#include "config/options.h"
#include "tests/support/temp_tree.h"
#include "ui/qt/work_controller.h"

namespace testsupport {

inline const platform::FileTime kOldTime = utcTime(2024, 3, 1, 12, 0, 0);
inline const platform::FileTime kNewTime = utcTime(2025, 6, 15, 9, 30, 0);

struct WindowFixture {
  TempTree tree;
  config::COptions options;
  std::unique_ptr<ui::qt::WorkController> work;

  // src: a.txt (newer), only.txt, sub/deep.txt, sub/two.txt; dst: a.txt (older), gone.txt.
  void layOut() {
    tree.writeWithTime("src/a.txt", "source a", kNewTime);
    tree.writeWithTime("dst/a.txt", "target a", kOldTime);
    tree.writeWithTime("src/only.txt", "only in source", kOldTime);
    tree.writeWithTime("src/sub/deep.txt", "deep", kOldTime);
    tree.writeWithTime("src/sub/two.txt", "two", kOldTime);
    tree.writeWithTime("dst/gone.txt", "only in target", kOldTime);
  }
  // Makes src against dst (with subfolders) the run list, as the start dialog would; returns it.
  config::CSession chooseFolders() {
    config::CSession pair;
    pair.Src = tree.path("src");
    pair.Dst = tree.path("dst");
    pair.SFlags = config::sflag::kSubfolders;
    options.runList = {pair};
    return pair;
  }
  // Without `ask`, no run asks before overwriting or deleting.
  ui::qt::WorkController& open(ui::ViewState view = {}, bool ask = false) {
    if (!ask) options.flags |= engine::option::kNoConfirmations;
    work = std::make_unique<ui::qt::WorkController>(options.EngineSettings(), app::MakeStoreContext(options, nullptr), view);
    return *work;
  }
  [[nodiscard]] std::vector<engine::SessionSpec> session() const {
    engine::SessionSpec pair;
    pair.source = tree.path("src");
    pair.target = tree.path("dst");
    pair.flags = engine::sessionflag::kSubfolders;
    pair.quiet = false;
    return {pair};
  }
  bool waitIdle() { return QTest::qWaitFor([this] { return !work->Busy(); }, 20000); }
  bool compare() { return work->StartComparison(session()) && waitIdle(); }
  // Makes the row showing `name` current (and the only one selected); false when none does.
  bool goTo(const std::string& name) {
    ui::ResultList& list = work->Model().List();
    for (int row = 0; row < list.RowCount(); ++row) {
      const ui::RowView view = list.Row(row);
      if (view.folderPath == name || view.source.name == name || view.target.name == name) {
        work->Table().SetViewSelection(row, {row});
        return true;
      }
    }
    return false;
  }
};

}  // namespace testsupport
