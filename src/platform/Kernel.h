#pragma once
// Kernel objects the program needs: the named single-instance mutex.

#include <string>

namespace tembric::platform {

enum class InstanceMutex {
  Created,        // this process now holds the name until it ends
  AlreadyExists,  // another process holds the name (or it exists and we may not open it)
  Failed,         // the system refused for another reason
};

class Kernel {
 public:
  virtual ~Kernel() = default;
  // Creates the named mutex, not owned, never released: the system removes it
  // when the last process holding it ends. Creation and the test for an
  // existing one are a single step, so two copies started together cannot
  // both see Created.
  virtual InstanceMutex CreateInstanceMutex(const std::string& name) = 0;
};

#ifdef _WIN32
// The running system's kernel objects.
Kernel& RealKernel();
#endif

}  // namespace tembric::platform
