#pragma once
// What the program needs of Windows beyond the platform interfaces (whose
// real implementations, RealX(), are declared beside each interface).

#include <string>

namespace tembric::platform::win32 {

// The full path of the running executable, in the system's ANSI code page.
// Throws std::runtime_error when the system cannot tell it.
std::string OwnExecutablePath();

// Takes the current folder and PATH out of the process's library search:
// libraries loaded by name then come from the system folder and the program's
// folder only (where the system cannot do that, the current folder at least
// is dropped). Called first thing at start, before any library is loaded.
void HardenLibrarySearch() noexcept;

// Dispatches the window messages queued for this thread, as the message loop
// would; a quit request is put back for the message loop to see.
void HandlePendingMessages() noexcept;

// The full path of the system library `name` ("version.dll") in the system
// folder; empty when the system folder cannot be read. A library that is not
// a known DLL is loaded by this path, never by its bare name.
std::string SystemLibraryPath(const std::string& name);

}  // namespace tembric::platform::win32
