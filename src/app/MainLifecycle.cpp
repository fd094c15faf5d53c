#include "app/MainLifecycle.h"

#include <utility>

#include "app/Notices.h"

namespace tembric::app {

MainLifecycle::MainLifecycle(platform::FileSystem& fs, std::string folder, Notices& notices)
    : fs_(fs), folder_(std::move(folder)), notices_(notices) {}

void MainLifecycle::FormCreate(const std::string& stamp) {
  const auto unreadable = store::OpenLibrary(library_, fs_, folder_, stamp);
  for (const auto& table : unreadable) notices_.Show(NoticeKind::Warning, table.Message());
}

void MainLifecycle::FormDestroy() {
  // A records table that was never opened holds nothing of the user's; saving
  // it would write an empty table over the file.
  if (library_.records.State() != store::TableState::Inactive) {
    RunHandler(notices_, [this] { library_.records.Save(fs_); });
  }
}

}  // namespace tembric::app
