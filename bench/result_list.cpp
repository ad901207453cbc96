// Times the result list on a generated comparison of about a million items in 50,000 folders:
// building the visible list, re-sorting it by date, and one toggle of a mark with its totals;
// and measures the model's memory above the comparison items.
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/generated_comparison.h"
#include "ui/result_model.h"

namespace {

using Clock = std::chrono::steady_clock;

template <typename Work>
double bestSeconds(int runs, Work work) {
  double best = 1e9;
  for (int run = 0; run < runs; ++run) {
    const auto start = Clock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

// Small blocks in the heap and large ones mapped on their own.
std::size_t heapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

}  // namespace

int main(int argc, char** argv) {
  const int folders = argc > 1 ? std::stoi(argv[1]) : 50000;
  const int filesPerFolder = argc > 2 ? std::stoi(argv[2]) : 22;
  testsupport::GeneratedComparison comparison;
  testsupport::FillRandomly(comparison, {.folders = folders, .filesPerFolder = filesPerFolder, .maxDepth = 6,
                                         .secondOneWayPair = false, .seed = 1});
  ui::ViewState state;
  state.showSameFiles = true;
  state.sortKey = ui::SortKey::Name;

  const std::size_t before = heapInUse();
  ui::ResultModel model(comparison, state, [](std::vector<int>) {}, {"dd.MM.yyyy", "%H:%M:%S"});
  ui::ResultList& list = model.List();
  const std::size_t modelBytes = heapInUse() - before;
  const int rows = list.RowCount();

  const double build = bestSeconds(5, [&] { list.ComparisonEnded(); });
  double byDate = 1e9;
  for (int run = 0; run < 5; ++run) {
    list.SetSortKey(ui::SortKey::Name);
    byDate = std::min(byDate, bestSeconds(1, [&] { list.SetSortKey(ui::SortKey::Date); }));
  }
  // A selected file from the middle of the list, so that every toggle changes the totals.
  int row = rows / 2;
  while (row < rows && (list.KindOfRow(row) != ui::RowKind::File ||
                        !engine::IsSelected(comparison.Items().at(list.ItemOfRow(row))))) {
    ++row;
  }
  list.SetCurrentRow(row);
  const int toggles = 1000;
  const double toggling = bestSeconds(5, [&] {
    for (int n = 0; n < toggles; ++n) model.Execute(ui::Command::ToggleSelection);
  });

  std::printf("items %d, folders %d, rows %d\n", comparison.Items().Count(), folders, rows);
  std::printf("build the visible list  %.3f s\n", build);
  std::printf("re-sort by date         %.3f s\n", byDate);
  std::printf("one toggle with totals  %.2f us\n", toggling / toggles * 1e6);
  std::printf("model memory            %zu bytes, %.1f bytes per row\n", modelBytes,
              static_cast<double>(modelBytes) / rows);
  return 0;
}
