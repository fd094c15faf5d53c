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

// Takes the current folder and PATH out of the process's library search:
// libraries loaded by name then come from the system folder and the program's
// folder only (where the system cannot do that, the current folder at least
// is dropped). Called first thing at start, before any library is loaded.
void HardenLibrarySearch() noexcept;

// The full path of the system library `name` ("version.dll") in the system
// folder; empty when the system folder cannot be read. A library that is not
// a known DLL is loaded by this path, never by its bare name.
std::string SystemLibraryPath(const std::string& name);

}  // namespace tembric::platform::win32
