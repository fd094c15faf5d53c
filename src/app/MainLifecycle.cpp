#include "app/MainLifecycle.h"

#include <utility>

#include "app/Notices.h"
#include "app/Trace.h"

namespace tembric::app {

MainLifecycle::MainLifecycle(platform::FileSystem& fs, std::string folder, Notices& notices)
    : fs_(fs), folder_(std::move(folder)), notices_(notices) {}

void MainLifecycle::FormCreate(const std::string& stamp) {
  try {
    lock_ = store::LockLibrary(fs_, folder_);
    if (!lock_) Trace("The library folder's lock is held by another program");
  } catch (const platform::FileError& e) {
    Trace("No lock on the library folder: " + std::string(e.what()));
  }
  for (const auto& notice : store::OpenLibrary(library_, fs_, folder_, stamp))
    notices_.Show(NoticeKind::Information, notice.Message());
}

void MainLifecycle::FormDestroy() {
  // A records table that was never opened holds nothing of the user's; saving
  // it would write an empty table over the file.
  if (library_.records.State() != store::TableState::Inactive) {
    RunHandler(notices_, [this] { library_.records.Save(fs_); });
  }
}

}  // namespace tembric::app
