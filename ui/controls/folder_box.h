#pragma once
// A folder field: an editable box with the paths used before, and a button whose menu picks a
// folder, an archive (ZIP), an FTP connection (through ftpRequested, answered by the owner with
// SetPath), a snapshot, a package, a recent path or a path variable.
#include <QWidget>
#include <string>
#include <vector>

class QComboBox;
class QToolButton;

namespace ui::controls {

struct FolderChoices {
  std::vector<std::string> history;
  std::vector<std::string> pathVariables;
};

class FolderBox : public QWidget {
  Q_OBJECT

 public:
  explicit FolderBox(const QString& objectName, QWidget* parent = nullptr);
  void SetChoices(const FolderChoices& choices);
  void SetPath(const std::string& path);
  [[nodiscard]] std::string Path() const;
  [[nodiscard]] QComboBox* Box() const { return box_; }

 signals:
  // "FTP...": the connections are kept in the configuration, which the box does not read.
  void ftpRequested();

 private:
  void fillMenu();
  void pickFile(const QString& title, const QString& filter, const QString& suffix);

  QComboBox* box_;
  QToolButton* button_;
  FolderChoices choices_;
};

}  // namespace ui::controls
