#pragma once
// The comparison result as text, one line per item: action, presence, path below the root, and
// size and local time of each side ("-" where the file is absent).
#include <ostream>

#include "engine/compare.h"

namespace engine {

[[nodiscard]] const char* ActionLabel(int action);
// Items with action 0 are written only with `withSame`.
void WritePlan(std::ostream& out, const CompareEngine& engine, bool withSame = false);
// One item's line, without the line end.
[[nodiscard]] std::string PlanLine(const CompareItem& item);

}  // namespace engine
