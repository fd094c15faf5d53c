// Named kernel objects.
#include <cstdio>

#include "probe.h"

namespace probe {

// Exit 0 when a mutex of that name exists in this session, 1 when none does.
int MutexExists(const Args& args) {
  if (args.size() != 1) return kUsage;
  HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, args[0].c_str());
  if (mutex != nullptr) {
    CloseHandle(mutex);
    std::printf("mutex \"%s\" exists\n", args[0].c_str());
    return kYes;
  }
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND) {
    std::printf("no mutex \"%s\"\n", args[0].c_str());
    return kNo;
  }
  // Something else holds the name (ERROR_INVALID_HANDLE: an object of another
  // type); it still blocks a mutex of that name.
  std::printf("mutex \"%s\" cannot be opened (error %lu)\n", args[0].c_str(), static_cast<unsigned long>(error));
  return kYes;
}

// Stands in for a document's associated program: appends one line to LOG,
// "open FOLDER | ARG | ARG...", FOLDER the current folder it was started in.
int RecordOpen(const Args& args) {
  if (args.empty()) return kUsage;
  char folder[MAX_PATH] = "";
  GetCurrentDirectoryA(MAX_PATH, folder);
  std::string line = std::string("open ") + folder;
  for (std::size_t i = 1; i < args.size(); ++i) line += " | " + args[i];
  std::FILE* log = std::fopen(args[0].c_str(), "ab");
  if (log == nullptr) return kNo;
  std::fprintf(log, "%s\n", line.c_str());
  std::fclose(log);
  return kYes;
}

}  // namespace probe
