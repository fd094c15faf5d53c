#pragma once
// The Windows implementations of the platform interfaces that the program
// itself (not the platform-free layers) picks up at start.

#include <string>

#include "platform/Dde.h"
#include "platform/Kernel.h"
#include "platform/VersionInfo.h"
#include "platform/WindowSystem.h"

namespace tembric::platform::win32 {

Kernel& RealKernel();
VersionInfo& RealVersionInfo();
WindowSystem& RealWindowSystem();
DdeClient& RealDdeClient();

// The full path of the running executable, in the system's ANSI code page.
// Throws std::runtime_error when the system cannot tell it.
std::string OwnExecutablePath();

}  // namespace tembric::platform::win32
