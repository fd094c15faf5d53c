#pragma once
// The blob data file at start: created empty beside the tables when missing.
// A failure to create it is shown and the start goes on, so that the library
// still opens: text pastes do not need the file, and image and clipboard
// records then fail with their own message.

#include <exception>
#include <string>

#include "app/MainSeams.h"
#include "app/Notices.h"
#include "app/Trace.h"
#include "store/BlobFile.h"

namespace tembric::app {

class MainBlobFile final : public BlobFileSeam {
 public:
  MainBlobFile(platform::FileSystem& files, std::string folder, Notices& notices)
      : files_(files), folder_(std::move(folder)), notices_(notices) {}
  void CreateIfMissing() override {
    try {
      if (store::CreateBlobFileIfMissing(store::BlobFile::InFolder(files_, folder_))) Trace("Created data.tmd");
    } catch (const std::exception& e) {
      notices_.Show(NoticeKind::Information, e.what());
    }
  }

 private:
  platform::FileSystem& files_;
  std::string folder_;
  Notices& notices_;
};

}  // namespace tembric::app
