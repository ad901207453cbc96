#pragma once
// The start dialog's "Projects" page: the sessions of the project chosen in the tree, each with
// its paths and masks, and the sessions it does not list yet; "<<" adds one, ">>" takes one out.
#include <QWidget>

#include "config/options.h"

class QListWidget;

namespace ui::qt {

class ProjectPage : public QWidget {
  Q_OBJECT

 public:
  explicit ProjectPage(QWidget* parent = nullptr);
  // Shows project `index` of `options` (-1: none) and edits it there.
  void Show(config::COptions* options, int index);

 private:
  void fill();
  void move(bool intoProject);

  config::COptions* options_ = nullptr;
  int index_ = -1;
  QListWidget* members_;
  QListWidget* available_;
};

}  // namespace ui::qt
