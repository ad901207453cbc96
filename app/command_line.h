#pragma once
// The command line: a folder pair with masks, or one session or project name, option switches,
// the configuration file, and the batch switches.
#include <cstdint>
#include <string>
#include <vector>

#include "app/run_options.h"
#include "config/session.h"

namespace app {

namespace batchflag {
inline constexpr std::uint32_t kUsage = 0x01;
inline constexpr std::uint32_t kScan = 0x02;
inline constexpr std::uint32_t kAuto = 0x04;
}  // namespace batchflag

class CAppCommandLine {
 public:
  // Parses the arguments as the shell split them (without the program name). `nowLocal` is the
  // local clock in seconds since 1970, for the age and date switches.
  CAppCommandLine(const std::vector<std::string>& arguments, std::int64_t nowLocal);

  // One argument: a switch begins with "-"; empty arguments are ignored.
  void ParseArgument(const std::string& argument);

  config::CSession pair;
  std::uint32_t batchFlags = 0;
  std::string configurationFile;
  // 0 no log, 1 as configured, 2 log (to logFileOverride when given).
  int logMode = 1;
  std::string logFileOverride;
  // Switch values that could not be used, for a message ("date:1.2" and the like), as typed.
  std::vector<std::string> badValues;
  RunOptions run;

 private:
  void parseLongOption(const std::string& argument);
  void parseSwitch(const std::string& text);
  void parseLetters(const std::string& text);
  void parseAge(const std::string& text);
  void parseDateRange(const std::string& text);

  int positional_ = 0;
  std::int64_t nowLocal_;
};

// Local seconds since 1970 of a date (day and month may roll over into the neighbouring month).
[[nodiscard]] std::int64_t LocalSecondsOfDate(int year, int month, int day, int hour, int minute, int second);

}  // namespace app
