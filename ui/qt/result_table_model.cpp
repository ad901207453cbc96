#include "ui/qt/result_table_model.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <mutex>

#include "ui/list_totals.h"
#include "ui/qt/row_icons.h"
#include "ui/controls/tx.h"

namespace ui::qt {
namespace {

bool isFilterOrFolding(Command command) {
  return FilterOfCommand(command).has_value() || command == Command::ShowAll || command == Command::ShowSameFiles ||
         command == Command::ToggleFolders;
}

bool isSort(Command command) {
  return command == Command::NameSorting || command == Command::DateSorting || command == Command::TypeSorting ||
         command == Command::DirectionSorting;
}

const QColor kAbsentSide(100, 100, 100);
const QColor kHeaderBackground(232, 236, 242);

}  // namespace

ResultTableModel::ResultTableModel(ResultModel& model, QObject* parent)
    : QAbstractTableModel(parent), model_(model), shown_(model.List().RowCount()) {}

int ResultTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shown_; }

int ResultTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

const RowView& ResultTableModel::rowView(int row) const {
  // A view asks for every role of every cell of a row in turn: one description serves them all.
  if (row != cachedRow_) {
    cached_ = model_.List().Row(row);
    cachedRow_ = row;
  }
  return cached_;
}

QVariant ResultTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= shown_) return {};
  const RowView& row = rowView(index.row());
  const bool header = row.kind == RowKind::FolderHeader;
  const RowIcons& icons = RowIcons::Get();
  const int column = index.column();
  switch (role) {
    case KindRole: return static_cast<int>(row.kind);
    case Qt::BackgroundRole: return header ? QVariant(kHeaderBackground) : QVariant();
    case Qt::FontRole: {
      if (!header) return {};
      QFont font;
      font.setBold(true);
      return font;
    }
    case Qt::DecorationRole: {
      int number = icon::kNone;
      if (column == kMarkColumn) number = row.markIcon;
      if (column == kActionColumn) number = row.actionIcon;
      if (column == kSourceColumn && header) number = row.expandIcon;
      const QPixmap& pixmap = icons.Pixmap(number);
      return pixmap.isNull() ? QVariant() : QVariant(pixmap);
    }
    case Qt::ForegroundRole:
      if ((column == kSourceColumn && row.sourceMissing && row.kind != RowKind::File) ||
          (column == kTargetColumn && row.targetMissing && row.kind != RowKind::File)) {
        return kAbsentSide;
      }
      return {};
    default: break;
  }
  if (column != kSourceColumn && column != kTargetColumn) return {};
  const SideText& side = column == kSourceColumn ? row.source : row.target;
  switch (role) {
    case Qt::DisplayRole:
      if (header) return column == kSourceColumn ? (row.folderPath.empty() ? QStringLiteral("/") : qs(row.folderPath)) : QVariant();
      return qs(side.name);
    case Qt::ToolTipRole: return header ? qs(row.folderPath) : qs(side.name);
    case DateRole: return qs(side.date);
    case TimeRole: return qs(side.time);
    case SizeRole: return qs(side.size);
    case CountRole:
      if (!header) return {};
      return static_cast<qulonglong>(column == kSourceColumn ? row.toTarget : row.toSource);
    default: return {};
  }
}

QVariant ResultTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case kSourceColumn: return tx("${Source}");
    case kTargetColumn: return tx("${Target}");
    default: return {};
  }
}

std::vector<std::uint64_t> ResultTableModel::rowSignatures() {
  ResultList& list = model_.List();
  engine::ItemList& items = list.Engine().Items();
  std::vector<std::uint64_t> signatures(static_cast<std::size_t>(shown_));
  const std::lock_guard lock(items.Lock());
  for (int row = 0; row < shown_; ++row) {
    const int index = list.ItemOfRow(row);
    if (index < 0) continue;
    const engine::CompareItem& item = items.at(index);
    std::uint64_t signature = static_cast<std::uint64_t>(item.action) | (std::uint64_t{item.flags} << 8);
    if (KindOf(item) == RowKind::FolderHeader) {
      signature ^= (std::uint64_t{FolderCount(item, record::kToTarget)} << 24) ^
                   (std::uint64_t{FolderCount(item, record::kToSource)} << 44);
    }
    signatures[static_cast<std::size_t>(row)] = signature;
  }
  return signatures;
}

void ResultTableModel::announceChanges(const std::vector<std::uint64_t>& before) {
  cachedRow_ = -1;
  const std::vector<std::uint64_t> after = rowSignatures();
  const int rows = static_cast<int>(std::min(before.size(), after.size()));
  for (int row = 0; row < rows;) {
    if (before[static_cast<std::size_t>(row)] == after[static_cast<std::size_t>(row)]) {
      ++row;
      continue;
    }
    int end = row;
    while (end + 1 < rows && before[static_cast<std::size_t>(end + 1)] != after[static_cast<std::size_t>(end + 1)]) ++end;
    emit dataChanged(index(row, 0), index(end, kColumns - 1));
    row = end + 1;
  }
  emit totalsChanged();
}

void ResultTableModel::rebuildAround(const std::function<void()>& change) {
  beginResetModel();
  change();
  cachedRow_ = -1;
  shown_ = model_.List().RowCount();
  endResetModel();
  emit rowsRebuilt();
  emit totalsChanged();
}

void ResultTableModel::afterCommand(int currentBefore) {
  if (model_.List().CurrentRow() != currentBefore) emit currentRowMoved(model_.List().CurrentRow());
}

bool ResultTableModel::Execute(Command command) {
  const int current = model_.List().CurrentRow();
  bool done = false;
  if (isFilterOrFolding(command)) {
    rebuildAround([&] { done = model_.Execute(command); });
  } else if (isSort(command)) {
    // The rows keep their items; only their places change, and the view's indexes follow.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList persistent = persistentIndexList();
    std::vector<int> itemsBefore;
    itemsBefore.reserve(static_cast<std::size_t>(persistent.size()));
    for (const QModelIndex& old : persistent) itemsBefore.push_back(model_.List().ItemOfRow(old.row()));
    done = model_.Execute(command);
    cachedRow_ = -1;
    QModelIndexList moved;
    {
      engine::ItemList& items = model_.List().Engine().Items();
      const std::lock_guard lock(items.Lock());
      for (std::size_t i = 0; i < itemsBefore.size(); ++i) {
        const int row = itemsBefore[i] < 0 ? -1 : items.at(itemsBefore[i]).row;
        moved.push_back(row < 0 ? QModelIndex() : index(row, persistent[static_cast<qsizetype>(i)].column()));
      }
    }
    changePersistentIndexList(persistent, moved);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
  } else {
    const std::vector<std::uint64_t> before = rowSignatures();
    done = model_.Execute(command);
    announceChanges(before);
  }
  afterCommand(current);
  return done;
}

bool ResultTableModel::SelectByMask(const std::string& masks, bool select) {
  const std::vector<std::uint64_t> before = rowSignatures();
  const bool done = model_.SelectByMask(masks, select);
  announceChanges(before);
  return done;
}

bool ResultTableModel::SmartToggleAll() {
  const std::vector<std::uint64_t> before = rowSignatures();
  const bool done = model_.SmartToggleAll();
  announceChanges(before);
  return done;
}

bool ResultTableModel::ToggleFolder(int row) {
  ResultList& list = model_.List();
  if (row < 0 || row >= shown_ || list.KindOfRow(row) != RowKind::FolderHeader || list.Mode() == ListMode::Running) {
    return false;
  }
  // The folder's file rows follow its header: they go, or come back, right there.
  bool collapsed = false;
  {
    engine::ItemList& items = list.Engine().Items();
    const std::lock_guard lock(items.Lock());
    collapsed = (items.at(list.ItemOfRow(row)).flags & engine::itemflag::kCollapsed) != 0;
  }
  const int files = static_cast<int>(list.FolderContents(row, false, false).size());
  const int current = list.CurrentRow();
  if (files == 0) {
    list.ToggleFolder(row);
  } else if (collapsed) {
    beginInsertRows({}, row + 1, row + files);
    list.ToggleFolder(row);
    shown_ = list.RowCount();
    endInsertRows();
  } else {
    beginRemoveRows({}, row + 1, row + files);
    list.ToggleFolder(row);
    shown_ = list.RowCount();
    endRemoveRows();
  }
  cachedRow_ = -1;
  emit dataChanged(index(row, 0), index(row, kColumns - 1));
  emit totalsChanged();
  afterCommand(current);
  return true;
}

void ResultTableModel::SetViewSelection(int currentRow, const std::vector<int>& rows) {
  model_.List().SetCurrentRow(currentRow);
  model_.List().SetListSelection(rows);
}

void ResultTableModel::ClearForComparison() {
  beginResetModel();
  shown_ = 0;
  cachedRow_ = -1;
  endResetModel();
}

void ResultTableModel::ComparisonStarted() { rebuildAround([this] { model_.List().ComparisonStarted(); }); }

void ResultTableModel::ShowNewRows() {
  ResultList& list = model_.List();
  if (list.Mode() != ListMode::Comparing) return;
  const int current = list.CurrentRow();
  list.FolderPassed();
  const int count = list.RowCount();
  if (count < shown_) {
    rebuildAround([] {});
    return;
  }
  if (count > shown_) {
    beginInsertRows({}, shown_, count - 1);
    shown_ = count;
    endInsertRows();
    emit totalsChanged();
  }
  afterCommand(current);
}

void ResultTableModel::ComparisonEnded() { rebuildAround([this] { model_.List().ComparisonEnded(); }); }

void ResultTableModel::announceRowOfItem(const engine::CompareItem* item) {
  int row = -1;
  int header = -1;
  {
    const std::lock_guard lock(model_.List().Engine().Items().Lock());
    row = item->row;
    if (item->parent != nullptr) header = item->parent->row;
  }
  cachedRow_ = -1;
  for (const int changed : {row, header}) {
    if (changed >= 0 && changed < shown_) emit dataChanged(index(changed, 0), index(changed, kColumns - 1));
  }
}

void ResultTableModel::RunItemStarting(const engine::CompareItem* item) {
  const int current = model_.List().CurrentRow();
  model_.List().RunItemStarting(*item);
  afterCommand(current);
}

void ResultTableModel::RunItemDone(const engine::CompareItem* item) {
  model_.List().RunItemDone(*item);
  announceRowOfItem(item);
  emit totalsChanged();
}

void ResultTableModel::RunEnded() {
  const int current = model_.List().CurrentRow();
  model_.List().RunEnded();
  cachedRow_ = -1;
  if (shown_ > 0) emit dataChanged(index(0, 0), index(shown_ - 1, kColumns - 1));
  emit totalsChanged();
  afterCommand(current);
}

}  // namespace ui::qt
