// The single-instance mutex on Windows.
#include <windows.h>

#include "platform/Kernel.h"
#include "platform/win32/Handles.h"

namespace tembric::platform::win32 {
namespace {

class Win32Kernel final : public Kernel {
 public:
  InstanceMutex CreateInstanceMutex(const std::string& name) override {
    ObjectHandle mutex(CreateMutexA(nullptr, FALSE, name.c_str()));
    const DWORD error = GetLastError();
    if (!mutex) {
      // A mutex of that name created by another user's or a more privileged
      // process exists but may not be opened by us.
      return error == ERROR_ACCESS_DENIED ? InstanceMutex::AlreadyExists : InstanceMutex::Failed;
    }
    if (error == ERROR_ALREADY_EXISTS) return InstanceMutex::AlreadyExists;  // our handle closes here
    // Held until the process ends; the system then removes the name.
    mutex.Detach();
    return InstanceMutex::Created;
  }
};

}  // namespace

}  // namespace tembric::platform::win32

namespace tembric::platform {

Kernel& RealKernel() {
  static win32::Win32Kernel kernel;
  return kernel;
}

}  // namespace tembric::platform
