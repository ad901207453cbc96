#include "stores/archiver_store.h"

#include "engine/text.h"
#include "platform/file_copy.h"
#include "platform/file_system.h"
#include "platform/folder_tree.h"
#include "platform/path.h"
#include "platform/temp_names.h"

namespace stores {
namespace {

// Archivers print names and messages in the program's own words only in a UTF-8 locale; in
// the C locale tar escapes every non-ASCII byte of a name.
const std::vector<std::string> kChildEnvironment = {"LC_ALL=C.UTF-8"};
// A command is stopped after this long: a program that waits for something that never comes
// must not hold an unattended run for ever.
constexpr auto kCommandTimeLimit = std::chrono::hours(6);
// Files taken out one by one before the whole archive is unpacked: one extraction from a
// compressed or solid archive reads all of it, so a run that restores many files reads it once.
constexpr int kExtractionsBeforeUnpack = 8;

std::string programWords(const platform::ProcessResult& result) {
  std::string words = result.failure;
  // The program's lines without the blank ones between them.
  std::string output;
  for (const std::string_view line : engine::SplitLines(result.errorOutput.empty() ? result.output : result.errorOutput)) {
    if (line.find_first_not_of(" \t") == std::string_view::npos) continue;
    if (!output.empty()) output += '\n';
    output += line;
  }
  // The last lines say what went wrong; a listing of thousands of names before them does not.
  constexpr std::size_t kMostText = 2000;
  if (output.size() > kMostText) output = "..." + output.substr(output.size() - kMostText);
  if (!output.empty()) words += (words.empty() ? "" : ": ") + output;
  if (words.empty()) words = engine::TranslateFormat("${exit status} %s", {std::to_string(result.exitCode)});
  return words;
}

}  // namespace

ArchiverStore::ArchiverStore(engine::StoreContext context, ArchiverDescription kind)
    : ListingStore(std::move(context)), kind_(std::move(kind)), work_(std::make_unique<platform::TempFolder>("ovand")) {}

ArchiverStore::~ArchiverStore() = default;

bool ArchiverStore::Open(const std::string& root, engine::OpenOptions options) { return openFileRoot(root, options, true); }

std::string ArchiverStore::stageFolder() const { return platform::joinPath(work_->path(), "stage"); }
std::string ArchiverStore::unpackFolder() const { return platform::joinPath(work_->path(), "whole"); }

bool ArchiverStore::shouldContinue() const { return sink_ == nullptr || sink_->ShouldContinue(); }

std::uint32_t ArchiverStore::GetCapabilities() const {
  return 0x13 | (kind_.HasSeconds() ? 0 : kNoSeconds) | (kind_.HasChecksum() ? kHasChecksum : 0);
}

bool ArchiverStore::run(const std::string& command, const std::string& archive, const std::vector<std::string>& files,
                        const std::string& folder, std::string& error, platform::ProcessResult* result,
                        const std::string& outputFile) {
  const std::vector<std::string> arguments =
      ExpandTemplate(command, TemplateValues{archive, files, kind_.packer, kind_.unpacker});
  if (arguments.empty()) {
    error = kind_.problem.empty() ? engine::TranslateFormat("${The archiver kind %s has no usable command for this}", {kind_.name})
                                  : kind_.problem;
    return false;
  }
  platform::ProcessOptions options;
  options.environment = kChildEnvironment;
  options.workingFolder = folder;
  options.outputFile = outputFile;
  options.timeLimit = kCommandTimeLimit;
  options.shouldContinue = [this] { return shouldContinue(); };
  platform::ProcessResult finished = platform::runProcess(arguments, options);
  const bool ok = finished.failure.empty() && finished.exitCode == 0;
  if (!ok) error = platform::fileNameOf(arguments.front()) + ": " + programWords(finished);
  if (result != nullptr) *result = std::move(finished);
  return ok;
}

bool ArchiverStore::list(const std::string& archive, engine::HistoryList& listing,
                         std::vector<engine::ListedName>& listedNames, std::string& error) {
  platform::ProcessResult result;
  if (!run(kind_.listTemplate, archive, {}, work_->path(), error, &result)) {
    error = engine::TranslateFormat("${The archiver could not list %s:} %s", {archive, error});
    return false;
  }
  engine::RejectedNames rejected;
  listing.SetIgnoreCase(false);
  if (!engine::ParseListText(result.output, kind_.Lister(), listing, &rejected, &listedNames)) {
    error = engine::TranslateFormat("${The archiver's listing of %s cannot be read}", {archive});
    return false;
  }
  for (const std::string& name : rejected) {
    addWarning(engine::TranslateFormat("${A name that would leave the folder is left out:} %s (%s)", {name, archive}));
  }
  // A hard link holds the content, and so the size, of the name it is linked to.
  for (int index = 0; index < listing.SlotCount(); ++index) {
    const std::string& target = listedNames[static_cast<std::size_t>(index)].hardLinkTo;
    const auto slash = target.rfind('/');
    const int shared = target.empty() ? -1
                                      : listing.Find(slash == std::string::npos ? std::string() : target.substr(0, slash + 1),
                                                     platform::fileNameOf(target));
    if (shared >= 0) listing.at(index).size = listing.at(shared).size;
  }
  return true;
}

bool ArchiverStore::readArchive(std::string& error) {
  clearListing();
  listedNames_.clear();
  listedPrefix_.clear();
  removed_.clear();
  staged_.clear();
  (void)platform::removeTree(stageFolder());
  (void)platform::removeTree(unpackFolder());
  unpacked_ = false;
  unpackFailed_ = false;
  if (!platform::exists(root_)) return true;
  engine::HistoryList parsed;
  std::vector<engine::ListedName> names;
  if (!list(root_, parsed, names, error)) return false;
  takeListing(std::move(parsed), names);
  return true;
}

void ArchiverStore::takeListing(engine::HistoryList parsed, const std::vector<engine::ListedName>& listedNames) {
  listedNames_.clear();
  hardLinks_.clear();
  copies_.clear();
  // Archives made of "." list every name as "./NAME": that is said once, not kept for each name.
  std::size_t dotted = 0;
  for (int index = 0; index < parsed.SlotCount(); ++index) {
    const std::string& listed = listedNames[static_cast<std::size_t>(index)].listed;
    if (listed.size() == parsed.at(index).path.size() + 2 && listed.starts_with("./")) ++dotted;
  }
  listedPrefix_ = dotted * 2 > static_cast<std::size_t>(parsed.SlotCount()) ? "./" : "";
  for (int index = 0; index < parsed.SlotCount(); ++index) {
    const engine::HistoryEntry& entry = parsed.at(index);
    // A name listed twice (tar appends a new version after the old) is the later one, as the
    // archiver itself extracts it; look-ups find the earliest, which therefore goes.
    const int earlier = parsed.Find(entry.folder, entry.name);
    if (earlier != index) parsed.Remove(earlier);
    const engine::ListedName& listed = listedNames[static_cast<std::size_t>(index)];
    const bool asPrefixed = listed.listed.size() == listedPrefix_.size() + entry.path.size() &&
                            listed.listed.starts_with(listedPrefix_) && listed.listed.ends_with(entry.path);
    if (!asPrefixed) {
      listedNames_[entry.path] = listed.listed;
    } else if (earlier != index) {
      listedNames_.erase(entry.path);
    }
    if (!listed.hardLinkTo.empty()) {
      hardLinks_[entry.path] = listed.hardLinkTo;
    } else if (earlier != index) {
      hardLinks_.erase(entry.path);
    }
  }
  replaceListing(std::move(parsed));
}

void ArchiverStore::noteWrittenAs(const std::string& relative) {
  if (listedPrefix_.empty()) {
    listedNames_.erase(relative);
  } else {
    listedNames_[relative] = relative;
  }
}

bool ArchiverStore::Attach(engine::ProgressSink* sink, bool) {
  if (!startAttach(sink)) return false;
  std::string error;
  return readArchive(error) || fail(error);
}

std::string ArchiverStore::memberOf(const std::string& relative) const {
  const auto listed = listedNames_.find(relative);
  return listed == listedNames_.end() ? listedPrefix_ + relative : listed->second;
}

bool ArchiverStore::NoteWrittenContent(const std::string& path, platform::ContentReader& content) {
  const auto relative = relativeOf(path);
  if (!relative || relative->empty() || !IsArchiverSafeName(*relative)) {
    return fail(engine::TranslateFormat("${This name cannot be handed to an archiver:} %s", {path}));
  }
  std::string reason;
  if (!writeInto(stageFolder(), *relative, content, content.lastWriteTime(), reason)) {
    return fail(engine::Translate("${cannot write}") + " " + path + ": " + reason);
  }
  if (findEntry(*relative) >= 0 && staged_.count(*relative) == 0) removed_.insert(memberOf(*relative));
  noteWrittenAs(*relative);
  (void)putEntry(*relative, static_cast<std::int64_t>(content.size()), content.lastWriteTime(), 0);
  staged_.insert(*relative);
  if (inBatch_) batchPaths_.push_back(path);
  return true;
}

bool ArchiverStore::writeInto(const std::string& folder, const std::string& relative, platform::ContentReader& content,
                              platform::FileTime time, std::string& error) {
  auto tree = platform::FolderTree::open(folder, &error);
  if (!tree && platform::createFolderChain(folder, &error)) tree = platform::FolderTree::open(folder, &error);
  std::unique_ptr<platform::PendingFile> file;
  if (tree && tree->createFolders(platform::parentOf("/" + relative).substr(1), &error)) {
    file = tree->create(relative, platform::modeForCopy(content.mode()), &error);
  }
  if (!file) return false;
  const platform::CopyResult copied = platform::copyContent(content, file->descriptor(), [this](std::uint64_t done) {
    if (sink_ != nullptr) sink_->ProgressBytes(done);
    return shouldContinue();
  });
  error = copied.error;
  return copied.ok() && file->setLastWriteTime(time, &error) && file->commit({}, false, &error);
}

bool ArchiverStore::DeleteFile(const std::string& path) {
  const auto relative = relativeOf(path);
  const int entry = relative ? findEntry(*relative) : -1;
  if (entry < 0) return fail(path + ": " + engine::Translate("${not listed}"));
  if (staged_.erase(*relative) > 0) {
    (void)platform::deleteFile(platform::joinPath(stageFolder(), *relative));
  } else {
    const std::string member = memberOf(*relative);
    if (!IsArchiverSafeName(member)) return fail(engine::TranslateFormat("${This name cannot be handed to an archiver:} %s", {path}));
    removed_.insert(member);
  }
  listedNames_.erase(*relative);
  hardLinks_.erase(*relative);
  listing_.Remove(entry);
  if (inBatch_) batchPaths_.push_back(path);
  return true;
}

std::string ArchiverStore::extractOne(const std::string& relative, std::string& error) {
  // A hard link comes out only together with the name whose content it shares.
  std::vector<std::string> members = {memberOf(relative)};
  const auto linked = hardLinks_.find(relative);
  if (linked != hardLinks_.end()) members.insert(members.begin(), memberOf(linked->second));
  const std::string folder = platform::joinPath(work_->path(), "get" + std::to_string(++extractions_));
  if (!platform::createFolder(folder, 0700, &error) || !run(kind_.getTemplate, root_, members, folder, error)) return {};
  return folder;
}

int ArchiverStore::GetFile(const std::string& path, std::string& localPath, unsigned) {
  const auto relative = relativeOf(path);
  const int entry = relative ? findEntry(*relative) : -1;
  if (entry < 0) {
    setError(path + ": " + engine::Translate("${not listed}"));
    return -1;
  }
  const int copyRow = listing_.at(entry).copyIndex;
  if (localPath.empty() && copyRow >= 0 && platform::isRegularFile(copies_[static_cast<std::size_t>(copyRow)].path)) {
    localPath = copies_[static_cast<std::size_t>(copyRow)].path;
    return 1;
  }
  const std::string member = memberOf(*relative);
  std::string error;
  // Where the file's content lies: a folder of the store's and the path below it.
  std::string folder;
  std::string below = engine::ArchiverRelative(member);
  if (staged_.count(*relative) > 0) {
    folder = stageFolder();
    below = *relative;
  } else if (!IsArchiverSafeName(member)) {
    error = engine::TranslateFormat("${This name cannot be handed to an archiver:} %s", {member});
  } else if (kind_.UnpacksWhole() &&
             (kind_.getTemplate.empty() || unpacked_ || (extractions_ >= kExtractionsBeforeUnpack && !unpackFailed_))) {
    if (unpackAll(error)) {
      folder = unpackFolder();
    } else if (!kind_.getTemplate.empty()) {
      // One member the archiver refuses to write out (a hostile archive's link trick) fails the
      // whole unpacking; every other file still comes out on its own.
      unpackFailed_ = true;
      error.clear();
      folder = extractOne(*relative, error);
    }
  } else {
    folder = extractOne(*relative, error);
  }
  // Only a plain file the archiver made where it was asked to counts: never one reached through
  // a link it left there (a hostile archive's "dir -> /etc" before "dir/passwd").
  std::unique_ptr<platform::FileReader> content;
  if (error.empty()) {
    auto tree = platform::FolderTree::open(folder, &error);
    content = tree ? tree->openForReading(below, &error) : nullptr;
    if (!content) error = engine::TranslateFormat("${The archiver left no file for} %s", {member}) + " (" + error + ")";
  }
  const std::string destination = error.empty() ? copyDestination(*relative, localPath) : std::string();
  if (destination.empty()) {
    setError(error.empty() ? LastError() : engine::Translate("${cannot read}") + " " + path + ": " + error);
    return -1;
  }
  // The copy carries the time the archive lists: an archiver may keep a finer one than it prints
  // (7-Zip), and the file handed out must be the one the comparison saw.
  if (!writeInto(platform::parentOf(destination), platform::fileNameOf(destination), *content, listing_.at(entry).time, error)) {
    setError(engine::Translate("${cannot read}") + " " + path + ": " + error);
    return -1;
  }
  return handOutCopy(destination, localPath, entry);
}

bool ArchiverStore::unpackAll(std::string& error) {
  if (unpacked_) return true;
  (void)platform::removeTree(unpackFolder());
  if (!platform::createFolder(unpackFolder(), 0700, &error)) return false;
  if (platform::exists(root_) && !run(kind_.unpackTemplate, root_, {}, unpackFolder(), error)) return false;
  unpacked_ = true;
  return true;
}

void ArchiverStore::BeginBatch(unsigned) {
  // Work files a killed run left beside the archive; a dry run, which never gets here, changes
  // nothing.
  if (platform::isFolder(platform::parentOf(root_))) platform::removeLeftoversIn(platform::parentOf(root_));
  inBatch_ = true;
}

void ArchiverStore::EndBatch() {
  if (!inBatch_) return;
  inBatch_ = false;
  if (!commit()) lostWrites_ = std::move(batchPaths_);
  batchPaths_.clear();
}

bool ArchiverStore::WriteBackCopies() { return commit(); }

bool ArchiverStore::Finish() { return commit(); }

}  // namespace stores
