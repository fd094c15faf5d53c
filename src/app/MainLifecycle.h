#pragma once
// What the main window does when it is created and when it is destroyed,
// free of the window itself. The main window owns the library for the whole
// run: the tables are opened at creation and the records table is saved at
// destruction.

#include <memory>
#include <string>

#include "platform/FileSystem.h"
#include "store/Tables.h"

namespace tembric::app {

class Notices;

class MainLifecycle {
 public:
  // `folder` is the executable's folder, where the table files live.
  MainLifecycle(platform::FileSystem& fs, std::string folder, Notices& notices);

  store::Library& Library() { return library_; }
  const std::string& Folder() const { return folder_; }

  // The creation steps. The library folder's lock is taken first and held
  // until the program ends (tools refuse to write the tables meanwhile); a
  // folder where it cannot be taken still opens. Each table file that could not be read is reported
  // as a warning and creation carries on. Other errors propagate: the window
  // reports them through RunHandler, and the steps after them do not run.
  // `stamp` names the copies of unreadable table files (store::TimestampNow()).
  void FormCreate(const std::string& stamp);

  // The destruction steps, when the program ends. Saves the records table if
  // it was opened. A step that fails is reported and the later steps still
  // run, so that one failure does not lose the others' work. Never throws.
  void FormDestroy();

 private:
  platform::FileSystem& fs_;
  std::string folder_;
  Notices& notices_;
  store::Library library_;
  std::unique_ptr<platform::ExclusiveFile> lock_;
};

}  // namespace tembric::app
