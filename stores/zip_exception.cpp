#include "stores/zip_exception.h"

#include <cerrno>
#include <cstring>

#include "platform/file_system.h"

namespace stores {

std::string CZipException::TextOf(int code) {
  switch (code) {
    case 1: return "Not super-user";
    case 2: return "No such file or directory";
    case 4: return "Interrupted system call";
    case 5: return "I/O error";
    case 6: return "No such device or address";
    case 9: return "Bad file number";
    case 12: return "Not enough space";
    case 13: return "Permission denied";
    case 14: return "Bad address";
    case 17: return "File exists";
    case 18: return "Cross-device link";
    case 19: return "No such device";
    case 20: return "Not a directory";
    case 21: return "Is a directory";
    case 22: return "Invalid argument";
    case 23: return "File table overflow";
    case 24: return "Too many open files";
    case 27: return "File too large";
    case 28: return "No space left on device";
    case 29: return "Illegal seek";
    case 30: return "Read-only file system";
    case 101: return "Damaged or not a zip file";
    case 102: return "Crc mismatched";
    case 103: return "No disk-spanning callback object set";
    case 104: return "Disk change aborted";
    case 105: return "Action aborted";
    case 106: return "Action aborted safely";
    case 107: return "The device selected for the disk spanning archive is non removable";
    case 108: return "Limit of the maximum volumes reached";
    case 109: return "The filename of the file being added to the archive is too long";
    case 110: return "Incorrect password set for the file being decrypted";
    case 111: return "During testing found the directory with the size greater than 0";
    case 112: return "Internal error";
    case 113: return "Error while removing a file";
    case 114: return "Error while renaming a file";
    case 115: return "Cannot create the file for the specified platform";
    case 116:
      return "The central directory was not found in the archive (or you were trying to open not the last disk of a "
             "multi-disk archive)";
    case 117: return "The archive was changed by another program while it was open; nothing was written";
    case 500: return "Zlib Library error (end of stream)";
    case 502: return platform::systemErrorText(errno == 502 ? 100 : errno);
    case 503: return "Zlib library error (stream error)";
    case 504: return "Zlib library error (data error)";
    case 505: return "Not enough memory";
    case 506: return "Zlib library error (buffer error)";
    case 507: return "Zlib library error (version error)";
    case 900: return "Not supported";
    default: return "Unknown error";
  }
}

int CZipException::CodeOfErrno(int error) {
  switch (error) {
    case EPERM: return 1;
    case ENOENT: return 2;
    case EINTR: return 4;
    case EIO: return 5;
    case ENXIO: return 6;
    case EBADF: return 9;
    case ENOMEM: return 12;
    case EACCES: return 13;
    case EFAULT: return 14;
    case EEXIST: return 17;
    case EXDEV: return 18;
    case ENODEV: return 19;
    case ENOTDIR: return 20;
    case EISDIR: return 21;
    case EINVAL: return 22;
    case ENFILE: return 23;
    case EMFILE: return 24;
    case EFBIG: return 27;
    case ENOSPC: return 28;
    case ESPIPE: return 29;
    case EROFS: return 30;
    default: return kSystemError;
  }
}

CZipException::CZipException(int code, const std::string& detail)
    : std::runtime_error(detail.empty() ? TextOf(code)
                                        : (code == kRemoveFailed || code == kRenameFailed
                                               ? TextOf(code) + " (" + detail + ")"
                                               : TextOf(code) + ": " + detail)),
      code_(code) {}

std::string CZipException::ReasonAbout(const std::string& path) const {
  const std::string text = what();
  const std::size_t at = path.empty() ? std::string::npos : text.find(path);
  if (at == std::string::npos) return text;
  // "code text: PATH: system's reason" or "code text: PATH": the reason, said once.
  std::string after = text.substr(at + path.size());
  if (after.starts_with(": ")) after.erase(0, 2);
  if (!after.empty()) return after;
  std::string before = text.substr(0, at);
  if (before.ends_with(": ")) before.resize(before.size() - 2);
  return before.empty() ? text : before;
}

}  // namespace stores
