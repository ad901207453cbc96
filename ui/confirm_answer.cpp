#include "ui/confirm_answer.h"

#include "engine/syncrun.h"

namespace ui {

namespace confirm = engine::confirm;

int ConfirmAnswer(ConfirmButton button, ConfirmScope scope, std::uint32_t kind) {
  const auto kinds = static_cast<int>(kind & confirm::kKinds);
  switch (button) {
    case ConfirmButton::Cancel: return confirm::kCancel;
    case ConfirmButton::Overwrite:
      switch (scope) {
        case ConfirmScope::Once: return confirm::kYesOnce;
        case ConfirmScope::ThisAction: return static_cast<int>(kind);
        case ConfirmScope::AllActions: return kinds | static_cast<int>(confirm::kDirections);
      }
      break;
    case ConfirmButton::Skip:
      switch (scope) {
        case ConfirmScope::Once: return confirm::kSkipOnce;
        case ConfirmScope::ThisAction: return confirm::kSkipThisAction;
        case ConfirmScope::AllActions: return confirm::kSkipAll;
      }
      break;
  }
  return confirm::kCancel;
}

ConfirmTexts ConfirmTextsFor(std::uint32_t kind) {
  if ((kind & confirm::kOverwriteReadOnly) != 0) {
    return {"${Overwriting RO file!}", "${READ-ONLY file overwrite! Are you sure?}", false};
  }
  if ((kind & confirm::kDeleteReadOnly) != 0) return {"${Deleting file!}", "${It's READ-ONLY! Are you sure?}", true};
  if ((kind & confirm::kDelete) != 0) return {"${Deleting file!}", "${Are you sure?}", true};
  return {"", "", false};
}

}  // namespace ui
