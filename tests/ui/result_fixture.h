#pragma once
// A result model on a generated comparison, and the list's rows as text, for the result list's tests.
#include <memory>
#include <string>
#include <vector>

#include "tests/support/generated_comparison.h"
#include "ui/result_model.h"

namespace testsupport {

inline const ui::DateTimeFormat kTestFormat{"dd.MM.yyyy", "%H:%M:%S"};

struct ResultFixture {
  GeneratedComparison comparison;
  std::vector<std::vector<int>> handedToRun;
  std::unique_ptr<ui::ResultModel> model;

  explicit ResultFixture(engine::EngineSettings settings = {}) : comparison(std::move(settings)) {}

  // Makes the model once the comparison is filled.
  ui::ResultModel& open(ui::ViewState state = {}) {
    model = std::make_unique<ui::ResultModel>(
        comparison, std::move(state), [this](std::vector<int> items) { handedToRun.push_back(std::move(items)); },
        kTestFormat);
    return *model;
  }
  ui::ResultList& list() { return model->List(); }
  engine::CompareItem& item(int index) { return comparison.Items().at(index); }

  // The rows, one per line: "name/" for a folder header ("/" for the top), "  name" for a file,
  // "[name]" for a folder row of its own.
  std::string rows() {
    std::string text;
    for (int row = 0; row < list().RowCount(); ++row) {
      const engine::CompareItem& shown = item(list().ItemOfRow(row));
      switch (ui::KindOf(shown)) {
        case ui::RowKind::FolderHeader: text += shown.name + "/"; break;
        case ui::RowKind::FolderRow: text += "[" + shown.name + "]"; break;
        case ui::RowKind::File: text += "  " + shown.name; break;
      }
      text += "\n";
    }
    return text;
  }
  // Makes the row of the named item current; false when it has no row.
  bool goTo(const std::string& name) {
    for (int row = 0; row < list().RowCount(); ++row) {
      if (item(list().ItemOfRow(row)).name == name) {
        list().SetCurrentRow(row);
        return true;
      }
    }
    return false;
  }
  [[nodiscard]] std::uint32_t count(int record) const { return model->List().Totals().Count(record); }
};

}  // namespace testsupport
