#include "app/command_line.h"

#include "platform/case_fold.h"
#include "platform/file_time.h"
#include "platform/path.h"
#include "platform/special_folders.h"

namespace app {

using config::CExtFilter;
using config::kSynchronize;
using config::kBackup;
using config::kUpdateTarget;
using config::kDuplicate;
using config::kSmart;
using config::kTodoNotGiven;
using config::kHours;
using config::kDays;
using config::kWeeks;
using config::kMonths;
using config::kToday;
using config::kThisWeek;
using config::kThisMonth;
namespace xflag = config::xflag;
namespace sflag = config::sflag;
namespace {

bool startsWithNoCase(const std::string& text, std::string_view prefix) {
  return text.size() >= prefix.size() && platform::asciiLower(text.substr(0, prefix.size())) == prefix;
}

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Numbers of a "date:" value, cut at "." and "-"; empty when a piece is no number.
std::vector<long> datePieces(const std::string& text) {
  std::vector<long> pieces;
  std::size_t start = 0;
  while (start <= text.size() && pieces.size() < 7) {
    const std::size_t end = text.find_first_of(".-", start);
    const std::string piece = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (piece.empty() || piece.size() > 6 || piece.find_first_not_of("0123456789") != std::string::npos) return {};
    pieces.push_back(std::stol(piece));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return pieces;
}

// "-D3", "-w", "-M": the age switch after its first "-" (a letter of H, D, W, M and digits), which
// is no long option though it is written "--D3".
bool isAgeSwitch(const std::string& text) {
  return text.size() >= 2 && text[0] == '-' && std::string_view("HDWMhdwm").find(text[1]) != std::string_view::npos &&
         text.find_first_not_of("0123456789", 2) == std::string::npos;
}

}  // namespace

std::int64_t LocalSecondsOfDate(int year, int month, int day, int hour, int minute, int second) {
  const auto first = platform::fileTimeFromUtcCalendar({year, month, 1, 0, 0, 0, 0});
  if (!first) return 0;
  return platform::unixSecondsFromFileTime(*first) + static_cast<std::int64_t>(day - 1) * 86400 + hour * 3600 +
         minute * 60 + second;
}

CAppCommandLine::CAppCommandLine(const std::vector<std::string>& arguments, std::int64_t nowLocal) : nowLocal_(nowLocal) {
  pair.Todo = kTodoNotGiven;
  for (const std::string& argument : arguments) ParseArgument(argument);
}

void CAppCommandLine::ParseArgument(const std::string& argument) {
  if (argument.empty()) return;
  // Only "-" starts a switch: every absolute path begins with "/".
  if (argument.starts_with("--") && !isAgeSwitch(argument.substr(1))) {
    parseLongOption(argument);
    return;
  }
  if (argument.front() == '-' && argument.size() > 1) {
    parseSwitch(argument.substr(1));
    return;
  }
  switch (positional_++) {
    case 0: pair.Src = argument; break;
    case 1: pair.Dst = argument; break;
    case 2:
      // Masks name files, never folders: a path here is a mistake (an option's value given after
      // a blank, say), not masks that would quietly match nothing.
      if (argument.find('/') != std::string::npos) badValues.push_back(argument);
      pair.Files = argument;
      break;
    default:
      // An unquoted mask the shell expanded into names, or a stray word: never guessed at.
      badValues.push_back(argument);
      break;
  }
}

void CAppCommandLine::parseLongOption(const std::string& argument) {
  if (argument == "--help") {
    batchFlags |= batchflag::kUsage;
    return;
  }
  std::string error;
  if (!run.Parse(argument.substr(2), error)) error = argument;
  if (!error.empty()) badValues.push_back(error);
}

void CAppCommandLine::parseSwitch(const std::string& text) {
  const std::string lower = platform::asciiLower(text);
  if (lower == "sync") {
    pair.Todo = kSynchronize;
  } else if (lower == "back") {
    pair.Todo = kBackup;
  } else if (lower == "update") {
    pair.Todo = kUpdateTarget;
  } else if (lower == "copy") {
    pair.Todo = kDuplicate;
  } else if (lower == "smart") {
    pair.Todo = kSmart;
  } else if (lower == "auto") {
    batchFlags |= batchflag::kAuto;
  } else if (lower == "scan") {
    batchFlags |= batchflag::kScan;
  } else if (lower == "nolog") {
    logMode = 0;
  } else if (lower == "help") {
    batchFlags |= batchflag::kUsage;
  } else if (startsWithNoCase(text, "log")) {
    logMode = 2;
    logFileOverride = startsWithNoCase(text, "log=") ? text.substr(4) : std::string();
  } else if (startsWithNoCase(text, "package=") && text.size() > 8) {
    // The shell leaves "~/" after "=" as it is; it means the home folder here as anywhere.
    run.packageFile = text.compare(8, 2, "~/") == 0 ? platform::joinPath(platform::homeFolder(), text.substr(10)) : text.substr(8);
  } else if (startsWithNoCase(text, "date:")) {
    parseDateRange(text.substr(5));
  } else {
    parseLetters(text);
  }
}

void CAppCommandLine::parseLetters(const std::string& text) {
  const std::string upper = platform::asciiUpper(text);
  // A switch of one letter is that letter alone: "-mirror" is no "-M".
  const bool alone = upper.size() == 1 || (upper.front() == 'R' && upper == "RM");
  if (std::string_view("HMOR").find(upper.front()) != std::string_view::npos && !alone) {
    badValues.push_back("-" + text);
    return;
  }
  switch (upper.front()) {
    case '?': batchFlags |= batchflag::kUsage; break;
    case '-': parseAge(text); break;
    case 'H': pair.Filter.flags |= xflag::kSkipHidden; break;
    case 'I': {
      // "-I:name" and "-I=name" drop the separator; a path beginning with "/", "." or "~" keeps it.
      std::size_t start = 1;
      if (text.size() > 1 && !isLetter(text[1]) && std::string_view("/.~").find(text[1]) == std::string_view::npos) start = 2;
      configurationFile = text.size() > start ? text.substr(start) : std::string();
      break;
    }
    case 'M': pair.SFlags |= sflag::kMatchedFilesOnly; break;
    case 'O': pair.SFlags |= sflag::kOrphansOnly; break;
    case 'R':
      pair.SFlags |= sflag::kSubfolders;
      if (upper.starts_with("RM")) pair.SFlags |= sflag::kMatchedFoldersOnly;
      break;
    case 'X':
      if (text.size() <= 2) {
        badValues.push_back("-" + text);
      } else if (upper.starts_with("XD")) {
        pair.DirList = text.substr(2);
        pair.SFlags |= sflag::kExcludeFolders;
      } else {
        // The exclude masks only: the include masks keep their meaning.
        pair.XFiles = text.substr(1);
      }
      break;
    default:
      // A mistyped switch must not run a different action than the one meant.
      badValues.push_back("-" + text);
      break;
  }
}

void CAppCommandLine::parseAge(const std::string& text) {
  const std::string upper = platform::asciiUpper(text);
  const char unit = upper.size() >= 2 ? upper[1] : '\0';
  if (unit != 'H' && unit != 'D' && unit != 'W' && unit != 'M') {
    badValues.push_back("-" + text);
    return;
  }
  const std::string number = upper.substr(2);
  CExtFilter& filter = pair.Filter;
  filter.flags = xflag::kNotOlderThan;
  if (!number.empty() && number.size() < 7 && number.find_first_not_of("0123456789") == std::string::npos) {
    filter.ageUnit = unit == 'H' ? kHours : unit == 'D' ? kDays : unit == 'W' ? kWeeks : kMonths;
    filter.ageAmount = std::stoi(number);
  } else {
    filter.ageUnit = unit == 'H' ? kHours : unit == 'D' ? kToday : unit == 'W' ? kThisWeek : kThisMonth;
  }
  filter.lowerBound = CExtFilter::AgeThreshold(filter.ageAmount, filter.ageUnit, nowLocal_);
}

void CAppCommandLine::parseDateRange(const std::string& text) {
  const std::vector<long> pieces = datePieces(text);
  const bool counted = pieces.size() == 3 || pieces.size() >= 6;
  bool inRange = counted;
  for (std::size_t i = 0; inRange && i < pieces.size() && i < 6; ++i) {
    const long value = pieces[i];
    switch (i % 3) {
      case 0: inRange = value >= 0 && value <= 31; break;
      case 1: inRange = value >= 1 && value <= 12; break;
      default: inRange = value >= 1900 && value <= 2100; break;
    }
  }
  if (!inRange) {
    badValues.push_back("-date:" + text);
    return;
  }
  auto at = [&](std::size_t i) { return static_cast<int>(pieces[i]); };
  pair.Filter.lowerBound = LocalSecondsOfDate(at(2), at(1), at(0), 0, 0, 0);
  pair.Filter.upperBound = pieces.size() >= 6 ? LocalSecondsOfDate(at(5), at(4), at(3), 23, 59, 59) : nowLocal_;
  pair.Filter.flags |= xflag::kDateBetween;
}

}  // namespace app
