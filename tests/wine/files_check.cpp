// The file system as the store relies on it, against the real one: "not
// found" is told apart from other failures, a creation never empties an
// existing file, a read-only stale temporary file does not stop a save, and a
// replace that another program's open handle refuses is retried and, when it
// keeps failing, leaves the written copy whole. Exit code 0 when every check
// passed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileSystem.h"

namespace {

using tembric::platform::FileSystem;

int failures = 0;

void Check(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "ok  " : "FAIL", what.c_str());
  if (!ok) ++failures;
}

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::string Text(FileSystem& fs, const std::string& path) {
  const auto bytes = fs.ReadAll(path);
  return {bytes.begin(), bytes.end()};
}

// Holds `path` open for reading and writing without delete sharing, as a
// backup or sync program does.
HANDLE Hold(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

int main() {
  FileSystem& fs = tembric::platform::RealFileSystem();
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "tembric-files-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string table = folder + "\\tembric.db";
  const std::string saving = tembric::platform::TemporaryPathFor(table);

  Check(!fs.Exists(table), "a missing file does not exist");
  Check(!fs.Exists(folder + "\\no such folder\\x.db"), "a file in a missing folder does not exist");
  Check(!fs.Stamp(table).has_value(), "a missing file has no stamp");

  Check(fs.CreateNew(table), "CreateNew creates a missing file");
  fs.WriteAndFlush(table, Bytes("library"));
  Check(!fs.CreateNew(table), "CreateNew reports an existing file");
  Check(Text(fs, table) == "library", "CreateNew leaves an existing file's bytes alone");
  Check(fs.Stamp(table) && fs.Stamp(table)->size == 7, "the stamp gives the size");

  fs.WriteAndFlush(saving, Bytes("stale"));
  SetFileAttributesA(saving.c_str(), FILE_ATTRIBUTE_READONLY);
  try {
    tembric::platform::WriteFileAtomically(fs, table, Bytes("second"));
    Check(Text(fs, table) == "second" && !fs.Exists(saving), "a read-only stale temporary file does not stop a save");
  } catch (const std::exception& e) {
    Check(false, std::string("a read-only stale temporary file does not stop a save: ") + e.what());
  }

  // Does this system refuse to replace a file held open without delete
  // sharing? Windows does; the checks below need it.
  fs.WriteAndFlush(saving, Bytes("probe"));
  HANDLE holder = Hold(table);
  const bool refused = !MoveFileExA(saving.c_str(), table.c_str(), MOVEFILE_REPLACE_EXISTING);
  CloseHandle(holder);
  fs.Remove(saving);
  if (!refused) {
    std::printf("info: this system replaces a file held open; the held-file checks are not run\n");
    fs.WriteAndFlush(table, Bytes("second"));
  } else {
    // Held for a moment: the save waits and goes through.
    holder = Hold(table);
    std::thread release([holder] {
      Sleep(300);
      CloseHandle(holder);
    });
    try {
      tembric::platform::WriteFileAtomically(fs, table, Bytes("third"));
      Check(Text(fs, table) == "third", "a replace refused for a moment is retried until it succeeds");
    } catch (const std::exception& e) {
      Check(false, std::string("a replace refused for a moment is retried: ") + e.what());
    }
    release.join();

    // Held for good: the written copy is kept whole and named.
    holder = Hold(table);
    try {
      tembric::platform::WriteFileAtomically(fs, table, Bytes("fourth"));
      Check(false, "a replace refused for good fails");
    } catch (const tembric::platform::SaveError& e) {
      Check(e.KeptCopy() == saving, "a replace refused for good names the kept copy");
    }
    CloseHandle(holder);
    Check(Text(fs, saving) == "fourth", "the kept copy holds the new bytes");
    Check(Text(fs, table) == "third", "the table file holds the old bytes");
  }

  fs.Remove(saving);
  // A listing holds every entry, hidden ones too, with folders marked, and
  // never "." or ".."; a missing folder is told apart.
  const std::string sub = folder + "\\sub", hidden = folder + "\\hidden.dll";
  CreateDirectoryA(sub.c_str(), nullptr);
  fs.WriteAndFlush(hidden, Bytes("x"));
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
  std::vector<tembric::platform::FolderEntry> entries = fs.ListFolder(folder);
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  Check(entries ==
            std::vector<tembric::platform::FolderEntry>{{"hidden.dll", false}, {"sub", true}, {"tembric.db", false}},
        "a folder lists its files and folders, hidden ones too");
  try {
    fs.ListFolder(folder + "\\no such folder");
    Check(false, "a missing folder cannot be listed");
  } catch (const tembric::platform::FileError& e) {
    Check(e.Kind() == tembric::platform::FileErrorKind::NotFound, "a missing folder lists as not found");
  }
  RemoveDirectoryA(sub.c_str());
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_NORMAL);
  fs.Remove(hidden);
  SetFileAttributesA(table.c_str(), FILE_ATTRIBUTE_READONLY);
  fs.Remove(table);
  Check(!fs.Exists(table), "Remove removes a read-only file");
  RemoveDirectoryA(folder.c_str());
  return failures == 0 ? 0 : 1;
}
