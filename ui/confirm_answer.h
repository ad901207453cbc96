#pragma once
// The confirmation dialog's choices as the run's answer codes (engine::confirm), and its texts for
// each kind of question.
#include <cstdint>

namespace ui {

enum class ConfirmButton { Overwrite, Skip, Cancel };
enum class ConfirmScope { Once, AllActions, ThisAction };

// Overwrite: 1 once, the kind for this action, the kind and both directions for all; Skip: 0
// once, 8 for this action, 4 for all; Cancel: 2 whatever the scope.
[[nodiscard]] int ConfirmAnswer(ConfirmButton button, ConfirmScope scope, std::uint32_t kind);

struct ConfirmTexts {
  // Empty: the dialog's own title and no message line.
  const char* title;
  const char* message;
  // A deletion asks Yes or No instead of Overwrite or Skip.
  bool yesNo;
};
[[nodiscard]] ConfirmTexts ConfirmTextsFor(std::uint32_t kind);

}  // namespace ui
