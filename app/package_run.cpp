#include "app/package_run.h"

#include "engine/text.h"
#include "platform/path.h"
#include "stores/make_package.h"

namespace app {

int WritePackage(engine::SyncEngine& engine, const config::COptions& options, const std::string& packageFile,
                 const engine::StoreContext& context, const BatchIo& io) {
  if (options.runList.size() != 1) {
    io.err << engine::Translate("${A package is made from one folder pair, not from a project.}") << '\n';
    return exitcode::kCouldNotStart;
  }
  const int todo = options.runList.front().Todo;
  const stores::PackageTask task = todo == config::kSynchronize || todo == config::kSmart ? stores::PackageTask::Synchronize
                                                                                          : stores::PackageTask::UpdateTarget;
  stores::PackageResult result;
  engine.StartTask([&] { result = stores::MakePackage(engine, packageFile, task, context, true); }, true);
  for (const std::string& failure : result.failures) io.err << failure << '\n';
  if (result.refused) {
    io.err << engine::TranslateFormat("${Package not written:} %s", {packageFile}) << '\n';
    return exitcode::kCouldNotStart;
  }
  if (result.nothingToPut) {
    // An old package of that name would bring old files: it now carries nothing.
    io.out << engine::TranslateFormat(result.written ? "${Nothing to put into a package; it now carries nothing:} %s"
                                                     : "${Nothing to put into a package; none was written:} %s",
                                      {packageFile})
           << '\n';
    return result.written || result.failures.empty() ? exitcode::kSuccess : exitcode::kItemsFailed;
  }
  if (!result.written) {
    io.err << engine::TranslateFormat("${Package not written:} %s", {packageFile}) << '\n';
    return exitcode::kItemsFailed;
  }
  io.out << engine::TranslateFormat("${Package written:} %s (${files with content}: %s, ${list lines only}: %s)",
                                    {packageFile, std::to_string(result.withContent), std::to_string(result.listOnly)});
  if (result.cancelled) io.out << ", " << engine::Translate("${cancelled: the package holds what was put before}");
  io.out << '\n';
  return result.failures.empty() && !result.cancelled ? exitcode::kSuccess : exitcode::kItemsFailed;
}

}  // namespace app
