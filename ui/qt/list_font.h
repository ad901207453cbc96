#pragma once
// The result list's font as the configuration keeps it (the fields of a LOGFONT record: a
// negative height is the characters' height in pixels) and as Qt draws it.
#include <QFont>

#include "config/transfer.h"

namespace ui::qt {

// The font of the record; the record nobody chose (the configuration's default) is the
// desktop's own font, as the default face does not exist here.
[[nodiscard]] QFont FontOfRecord(const config::LogFont& record);
// `base` with the family, pixel height, weight, slant, underline and strike-out of `font`; its
// other fields (character set, precisions, pitch) stay, so an unchanged font saves unchanged.
[[nodiscard]] config::LogFont RecordOfFont(const QFont& font, config::LogFont base);

}  // namespace ui::qt
