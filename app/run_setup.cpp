#include "app/run_setup.h"

#include <cctype>
#include <tuple>
#include <vector>

#include "engine/store_factory.h"
#include "engine/text.h"
#include "platform/case_fold.h"
#include "platform/path.h"
#include "stores/ftp_store.h"
#include "platform/file_time.h"

namespace app {

using config::COptions;
using config::CSession;
using config::CExtFilter;
using config::PathVariable;
using config::PathVariables;
using config::kUpdateTarget;
using config::kBackup;
using config::kDuplicate;
using config::kSmart;
using config::kDateOrContent;
using config::kContent;
using config::kSizeOnly;
using config::kTodoNotGiven;
using config::kSynchronize;
namespace xflag = config::xflag;
namespace sflag = config::sflag;
namespace {

const char* todoName(int todo) {
  switch (todo) {
    case kUpdateTarget: return "${Update target}";
    case kBackup: return "${Backup}";
    case kDuplicate: return "${Duplicate}";
    case kSmart: return "${Smart synchronization}";
    default: return "${Synchronize}";
  }
}

const char* compareName(int mode) {
  switch (mode) {
    case kDateOrContent: return "${Date or content}";
    case kContent: return "${Content}";
    case kSizeOnly: return "${Size only}";
    default: return "${Date} + ${Size}";
  }
}

std::string localDate(std::int64_t localSeconds) {
  // Local seconds break down as if they were UTC; the seconds are left out.
  return platform::formatCalendar(platform::utcCalendarFromFileTime(platform::fileTimeFromUnixSeconds(localSeconds)))
      .substr(0, 16);
}

std::string describeFilter(const CExtFilter& filter) {
  std::vector<std::string> parts;
  if ((filter.flags & xflag::kNotOlderThan) != 0) {
    CExtFilter now = filter;
    now.PrepareForScan(platform::localSecondsNow());
    parts.push_back(engine::Translate("${not older than} ") + localDate(now.lowerBound));
  } else if ((filter.flags & xflag::kDateBetween) != 0) {
    parts.push_back(engine::Translate("${date between} ") + localDate(filter.lowerBound) + " - " + localDate(filter.upperBound));
  }
  const std::string size = std::to_string(filter.sizeLimit);
  if ((filter.flags & xflag::kSizeEqual) != 0) parts.push_back(engine::Translate("${size} = ") + size);
  if ((filter.flags & xflag::kSizeGreater) != 0) parts.push_back(engine::Translate("${size} > ") + size);
  if ((filter.flags & xflag::kSizeLess) != 0) parts.push_back(engine::Translate("${size} < ") + size);
  if ((filter.flags & xflag::kSkipHidden) != 0) parts.push_back(engine::Translate("${skip hidden files}"));
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
  return text;
}

// What makes an expanded path of a session unusable, as a message format (side, session, given
// path); null when nothing does.
const char* pathProblem(const std::string& given, const std::string& expanded, const PathVariables& variables) {
  if (expanded.empty()) return "${%s of %s is empty; nothing runs.}";
  const std::size_t variable = expanded.find("$(");
  if (variable != std::string::npos && expanded.find(')', variable) != std::string::npos) {
    return "${%s of %s names a path variable that is not defined; nothing runs:} %s";
  }
  for (const PathVariable& defined : variables.All()) {
    if (defined.path.empty() && !defined.name.empty() &&
        platform::asciiUpper(given).find("$(" + platform::asciiUpper(defined.name) + ")") != std::string::npos) {
      return "${%s of %s names a path variable whose folder is empty; nothing runs:} %s";
    }
  }
  // "%NAME%" left over: an environment variable that is not set.
  for (std::size_t open = expanded.find('%'); open != std::string::npos; open = expanded.find('%', open + 1)) {
    const std::size_t close = expanded.find('%', open + 1);
    if (close == std::string::npos) break;
    const std::string word = expanded.substr(open + 1, close - open - 1);
    const bool name = !word.empty() && !std::isdigit(static_cast<unsigned char>(word.front())) &&
                      word.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_") == std::string::npos;
    if (name) return "${%s of %s names an environment variable that is not set; nothing runs:} %s";
  }
  if (!platform::isAbsolutePath(expanded) && engine::StoreFactory::SchemeOf(expanded).empty()) {
    return "${%s of %s is not an absolute path; nothing runs:} %s";
  }
  return nullptr;
}

}  // namespace

engine::StoreContext MakeStoreContext(const COptions& options, engine::Prompt* prompt) {
  engine::StoreContext context;
  context.prompt = prompt;
  const PathVariables* variables = &options.pathVariables;
  context.expandPath = [variables](const std::string& text, std::string& out) { return variables->Expand(text, out); };
  return context;
}

std::optional<engine::SessionSpec> MakeSessionSpec(const CSession& session, const COptions& options,
                                                   std::int64_t nowLocal, std::string& error) {
  engine::SessionSpec planned;
  const std::string name = session.Name.empty() ? engine::Translate("${the current session}") : "\"" + session.Name + "\"";
  // An empty or relative path would be the folder the program runs in, an unknown variable a
  // folder named after it: none of them is what the session means.
  for (const auto& [given, expanded, side] : {std::tuple{&session.Src, &planned.source, "${The source}"},
                                               std::tuple{&session.Dst, &planned.target, "${The target}"}}) {
    if (!options.pathVariables.Expand(*given, *expanded)) {
      error = *expanded;
      return std::nullopt;
    }
    if (const char* problem = pathProblem(*given, *expanded, options.pathVariables)) {
      error = engine::TranslateFormat(problem, {engine::Translate(side), name, *given});
      return std::nullopt;
    }
  }
  planned.name = session.Name;
  planned.files = session.Files;
  planned.excludeFiles = session.XFiles;
  planned.folderList = session.DirList;
  planned.flags = session.SFlags;
  planned.todo = session.Todo == kTodoNotGiven ? kSynchronize : session.Todo;
  planned.compareMode = session.Cmp;
  planned.skipHiddenFolders = (session.Filter.flags & config::xflag::kSkipHidden) != 0;
  CExtFilter filter = session.Filter;
  // "Not older than two days" means two days before this run, not before the session was saved.
  filter.PrepareForScan(nowLocal);
  if (filter.flags != 0) {
    planned.filter = [filter](const engine::FindData* source, const engine::FindData* target) {
      return filter.Accepts(source, target);
    };
  }
  return planned;
}

std::string DescribeSession(const CSession& session, std::optional<int> compareMode) {
  std::string text = session.Name.empty() ? std::string() : "\"" + session.Name + "\": ";
  text += engine::Translate(todoName(session.Todo)) + " " + session.Src + " -> " + session.Dst;
  text += "; " + engine::Translate("${Masks}") + ": " + (session.Files.empty() ? "*.*" : session.Files);
  if (!session.XFiles.empty()) text += " ! " + session.XFiles;
  if ((session.SFlags & sflag::kInvertedMasks) != 0) text += " (" + engine::Translate("${left out}") + ")";
  text += "; " + engine::Translate((session.SFlags & sflag::kSubfolders) != 0 ? "${with subfolders}" : "${without subfolders}");
  if (!session.DirList.empty()) {
    text += "; " + engine::Translate((session.SFlags & sflag::kExcludeFolders) != 0 ? "${Exclude folders}" : "${Filter folders}") +
            ": " + session.DirList;
  }
  if ((session.SFlags & sflag::kMatchedFilesOnly) != 0) text += "; " + engine::Translate("${Matched only}");
  if ((session.SFlags & sflag::kOrphansOnly) != 0) text += "; " + engine::Translate("${Orphans only}");
  text += "; " + engine::Translate("${Compare by}") + ": " + engine::Translate(compareName(compareMode.value_or(session.Cmp)));
  const std::string filter = describeFilter(session.Filter);
  if (!filter.empty()) text += "; " + filter;
  return text;
}

void RegisterConnections(const config::COptions& options) {
  std::vector<stores::FtpServerRecord> servers;
  for (const config::FtpServer& server : options.ftpServers) {
    servers.push_back({server.Name, server.Server, server.User, server.Pass, server.Port, server.Firewall, server.Flags,
                       server.Folder, server.Protocol, server.PinnedKey, server.KeyFile});
  }
  std::vector<stores::FtpProxyRecord> proxies;
  for (const config::FtpProxy& proxy : options.ftpProxies) {
    proxies.push_back({proxy.FServer, proxy.FUser, proxy.FPass, std::to_string(proxy.FPort)});
  }
  stores::RegisterFtpStores(std::move(servers), std::move(proxies));
}

}  // namespace app
