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

}  // namespace probe
