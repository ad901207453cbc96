#pragma once
// What the report draws on a page; a printer (or a test's recorder) carries it out.
#include <string_view>

namespace ui {

// A rectangle in device units, y growing downwards.
struct ReportBox {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  [[nodiscard]] int Right() const { return x + width; }
  [[nodiscard]] int Bottom() const { return y + height; }
};

// Folder: the bold font, in upper case.
enum class ReportFont { Normal, Folder };
enum class ReportAlign { Left, Center, Right };

class ReportPainter {
 public:
  virtual ~ReportPainter() = default;
  // One line, vertically centred in the box and clipped to it.
  virtual void Text(const ReportBox& box, std::string_view text, ReportFont font, ReportAlign align) = 0;
  // A path or name on one line, left-aligned: shortened with an ellipsis in its middle when wider
  // than the box, never wrapped.
  virtual void Path(const ReportBox& box, std::string_view path, ReportFont font) = 0;
  virtual void Frame(const ReportBox& box) = 0;
  virtual void Line(int x1, int y1, int x2, int y2) = 0;
};

}  // namespace ui
