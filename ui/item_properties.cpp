#include "ui/item_properties.h"

#include <cerrno>
#include <mutex>

#include "platform/file_system.h"

namespace ui {
namespace {

void readFileSystem(SideProperties& side) {
  if (!side.present) return;
  side.details = platform::fileDetails(side.path);
  if (!side.details) side.unreadable = platform::systemErrorText(errno);
}

}  // namespace

ItemProperties PropertiesOfItem(engine::CompareEngine& engine, int itemIndex) {
  ItemProperties properties;
  bool sourceLocal = false;
  bool targetLocal = false;
  {
    const std::lock_guard lock(engine.Items().Lock());
    const engine::CompareItem& item = engine.Items().at(itemIndex);
    properties.relativePath = item.relativePath();
    const auto pair = static_cast<std::size_t>(item.folderItem().folder->pairIndex);
    const engine::StorePair& stores = engine.Pairs().at(pair);
    sourceLocal = !stores.source->IsListBased();
    targetLocal = !stores.target->IsListBased();
    SideProperties& source = properties.source;
    source.present = item.presence != engine::presence::kTarget;
    source.folder = item.isFolder();
    SideProperties& target = properties.target;
    target.present = item.presence != engine::presence::kSource;
    target.folder = item.isFolder();
    if (source.present) {
      source.path = item.sourcePath();
      source.listedSize = item.sourceSize;
      source.listedTime = item.sourceTime;
    }
    if (target.present) {
      target.path = item.targetPath();
      target.listedSize = item.targetSize;
      target.listedTime = item.targetTime;
    }
  }
  if (sourceLocal) readFileSystem(properties.source);
  if (targetLocal) readFileSystem(properties.target);
  return properties;
}

}  // namespace ui
