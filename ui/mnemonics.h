#pragma once
// Unique "&" mnemonics for a group of texts (the items of one menu level, or the "&" controls of
// one dialog).
#include <string>
#include <vector>

namespace ui {

// Gives every text of the group a mnemonic that no other text of the group has, moving as few as
// it can. With `menu` the text after a tab (the shortcut) is never a candidate. A text that finds
// no free character keeps the one it had. The keys in `taken` belong to texts outside the group
// (lower-cased, as the "&" in `takenFrom` marks them) and are never given or moved.
void MakeUniqueMnemonics(std::vector<std::string>& texts, bool menu, const std::vector<std::string>& takenFrom = {});

}  // namespace ui
