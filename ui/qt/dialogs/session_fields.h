#pragma once
// The start dialog's "Folders" page: every field of a session (paths, masks, switches, comparison
// mode, action, folder filter) and the advanced filter panel; loads a session and builds one.
#include <QWidget>

#include "config/session.h"
#include "ui/controls/folder_box.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLineEdit;
class QSpinBox;
class QToolButton;

namespace ui::qt {

class SessionFields : public QWidget {
  Q_OBJECT

 public:
  explicit SessionFields(QWidget* parent = nullptr);
  void SetChoices(const controls::FolderChoices& sources, const controls::FolderChoices& targets,
                  const std::vector<std::string>& masks);
  // Shows the session's fields; its name is kept for Build.
  void Load(const config::CSession& session);
  // The shown session was renamed: Build gives it the new name, the fields stay as edited.
  void Rename(const std::string& name) { name_ = name; }
  // The session of the fields; switches start at 0, as the editor sets only its own bits.
  [[nodiscard]] config::CSession Build(std::int64_t nowLocal) const;
  void SetAdvancedShown(bool shown);
  [[nodiscard]] bool AdvancedShown() const;
  [[nodiscard]] controls::FolderBox* Source() const { return source_; }
  [[nodiscard]] controls::FolderBox* Target() const { return target_; }

 signals:
  // Return in a path or mask box: the dialog's default button, as anywhere else in it.
  void returnPressed();

 private:
  void updateEnabled();

  std::string name_;
  std::string xfiles_;
  controls::FolderBox* source_;
  controls::FolderBox* target_;
  QComboBox* masks_;
  QToolButton* leaveOut_;
  QCheckBox* subfolders_;
  QCheckBox* matchedFolders_;
  QCheckBox* orphans_;
  QCheckBox* matchedFiles_;
  QComboBox* compare_;
  QComboBox* todo_;
  QComboBox* folderMode_;
  QLineEdit* folderList_;
  QToolButton* advancedToggle_;
  QGroupBox* advanced_;
  QCheckBox* notOlder_;
  QSpinBox* ageAmount_;
  QComboBox* ageUnit_;
  QCheckBox* between_;
  QDateEdit* from_;
  QDateEdit* to_;
  QCheckBox* sizeOn_;
  QComboBox* sizeTest_;
  QSpinBox* size_;
  QComboBox* sizeUnit_;
  QCheckBox* skipHidden_;
};

}  // namespace ui::qt
