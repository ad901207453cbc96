#pragma once
// Failures of the ZIP component, with the codes and texts it reports them by.
#include <stdexcept>
#include <string>

namespace stores {

class CZipException : public std::runtime_error {
 public:
  enum Code : int {
    kNoSuchFile = 2,
    kIoError = 5,
    kPermissionDenied = 13,
    kFileTooLarge = 27,
    kNoSpace = 28,
    kDamaged = 101,
    kCrcMismatch = 102,
    kAborted = 105,
    kAbortedSafely = 106,
    kNameTooLong = 109,
    kInternal = 112,
    kRemoveFailed = 113,
    kRenameFailed = 114,
    kNoCentralDirectory = 116,
    kChangedByOther = 117,
    kZlibEndOfStream = 500,
    kSystemError = 502,
    kZlibStream = 503,
    kZlibData = 504,
    kNoMemory = 505,
    kZlibBuffer = 506,
    kZlibVersion = 507,
    kNotSupported = 900,
  };

  // `detail` is added to the code's text (a file name, the system's reason).
  explicit CZipException(int code, const std::string& detail = {});
  [[nodiscard]] int code() const { return code_; }
  // The text for a message that names `path` already: the reason without the path.
  [[nodiscard]] std::string ReasonAbout(const std::string& path) const;

  // The text of a code.
  [[nodiscard]] static std::string TextOf(int code);
  // The code for an errno value where the table has one, else kSystemError.
  [[nodiscard]] static int CodeOfErrno(int error);

 private:
  int code_;
};

}  // namespace stores
