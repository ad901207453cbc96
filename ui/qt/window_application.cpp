#include "ui/qt/window_application.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <cstdlib>

#include "ui/qt/dictionary_translator.h"
#include "ui/qt/main_window.h"

namespace ui::qt {
namespace {

bool setInEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

bool HasDisplay() {
  return setInEnvironment("DISPLAY") || setInEnvironment("WAYLAND_DISPLAY");
}

int RunWindow(config::COptions& options, config::CProfile& profile, bool scanNow) {
  int argc = 1;
  char name[] = "orvandi3";
  char* argv[] = {name, nullptr};
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Velkor"));
  QApplication::setDesktopFileName(QStringLiteral("velkor"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("velkor"), QIcon(QStringLiteral(VELKOR_DATA_DIR "/velkor.svg"))));
  DictionaryTranslator translator;
  QApplication::installTranslator(&translator);
  MainWindow window(options, profile);
  window.show();
  QTimer::singleShot(0, &window, [&window, scanNow] { window.Begin(scanNow); });
  return QApplication::exec();
}

}  // namespace ui::qt
