#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kUsage =
    "Velkor 3.0 alpha - two-folder file synchronizer\n"
    "\n"
    "Usage: orvandi3 SOURCE TARGET [MASKS] [-sync|-back|-update|-copy|-smart] [-R] [-auto]\n"
    "       orvandi3 NAME [-auto]      run a stored session or project\n"
    "       orvandi3 -?                this text\n";

}  // namespace

int main(int argc, char** argv) {
  std::fputs(kUsage, stdout);
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-?") == 0) return 0;
  }
  return argc > 1 ? 2 : 0;
}
