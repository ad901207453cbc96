// libFuzzer target: the list-line parser on arbitrary listing text with a few real formats.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/list_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // The first line chooses the format, so the fuzzer explores formats too.
  const std::size_t newline = input.find('\n');
  const std::string_view format = newline == std::string_view::npos ? input : input.substr(0, newline);
  const std::string_view text = newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);
  for (const std::string_view chosen : {engine::kHistoryLineFormat, std::string_view("N|$|L|date|hh:mm|X3|C|N(2-5)"), format}) {
    engine::HistoryList list;
    engine::RejectedNames rejected;
    engine::ParseListText(text, {std::string(chosen), "--", "==", 1, false}, list, &rejected);
    engine::ParseListText(text, {std::string(chosen), "", "", 0, false}, list, &rejected);
  }
  return 0;
}
