#include "ui/qt/dialogs/properties_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/controls/tx.h"

namespace ui::qt {
namespace {

// The rows, by the name part of their labels' object names.
struct Row {
  const char* name;
  const char* caption;
};
constexpr Row kRows[] = {{"Path", "${Path}:"},           {"Size", "${Size}:"},
                         {"Modified", "${Modified}:"},   {"Accessed", "${Accessed}:"},
                         {"Changed", "${Entry changed}:"}, {"Permissions", "${Permissions}:"},
                         {"Owner", "${Owner}:"}};

QString when(platform::FileTime time, const DateTimeFormat& format) {
  if (time == 0) return {};
  const platform::CalendarTime local = platform::localFromFileTime(time);
  return qs(format.Date(local) + "  " + format.Time(local));
}

QString bytes(std::uint64_t size) {
  return txf("%s ${bytes}", {size == 0 ? std::string("0") : FormatSize(size)});
}

// The shown text of each row for one side, in the order of kRows.
std::vector<QString> valuesOf(const SideProperties& side, const DateTimeFormat& format) {
  std::vector<QString> values(std::size(kRows));
  if (!side.present) {
    values[0] = tx("(${not on this side})");
    return values;
  }
  values[0] = qs(side.path);
  if (!side.unreadable.empty()) {
    // Gone or hidden since the comparison: what it listed then would mislead.
    values[0] += "\n(" + qs(side.unreadable) + ")";
    return values;
  }
  if (!side.details) {
    // An archive or a server: what its listing said; the file system has nothing to add.
    if (!side.folder) values[1] = bytes(side.listedSize);
    values[2] = when(side.listedTime, format);
    return values;
  }
  const platform::FileDetails& details = *side.details;
  if (details.link) values[0] += QStringLiteral("  ->  ") + qs(details.linkTarget);
  if (!details.folder) values[1] = bytes(details.size);
  values[2] = when(details.modified, format);
  values[3] = when(details.accessed, format);
  values[4] = when(details.statusChanged, format);
  values[5] = qs(platform::permissionText(details.permissions));
  values[6] = qs(details.owner + ":" + details.group);
  return values;
}

QLabel* valueLabel(const QString& text, const QString& name) {
  auto* label = new QLabel(text);
  label->setObjectName(name);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  label->setWordWrap(true);
  label->setMinimumWidth(340);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

}  // namespace

PropertiesDialog::PropertiesDialog(const ItemProperties& properties, const DateTimeFormat& format, QWidget* parent)
    : QDialog(parent) {
  setObjectName("propertiesDialog");
  setWindowTitle(tx("${Properties}") + " - " + qs(properties.relativePath));
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(16);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(2, 1);
  auto* sourceTitle = new QLabel("<b>" + tx("${Source}").toHtmlEscaped() + "</b>");
  auto* targetTitle = new QLabel("<b>" + tx("${Target}").toHtmlEscaped() + "</b>");
  grid->addWidget(sourceTitle, 0, 1);
  grid->addWidget(targetTitle, 0, 2);
  const std::vector<QString> source = valuesOf(properties.source, format);
  const std::vector<QString> target = valuesOf(properties.target, format);
  for (std::size_t row = 0; row < std::size(kRows); ++row) {
    const int line = static_cast<int>(row) + 1;
    auto* caption = new QLabel(tx(kRows[row].caption));
    caption->setAlignment(Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(caption, line, 0);
    grid->addWidget(valueLabel(source[row], QStringLiteral("source") + kRows[row].name), line, 1);
    grid->addWidget(valueLabel(target[row], QStringLiteral("target") + kRows[row].name), line, 2);
  }
  layout->addLayout(grid);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  buttons->setObjectName("buttons");
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

}  // namespace ui::qt
