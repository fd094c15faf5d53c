#pragma once
// HookDLL.DLL: the system-wide keyboard hook that reports every key event to
// the program. The exchange (the shared section naming the receiving window,
// the key message and the re-install notice) is described in
// platform/KeystrokeExchange.h.
//
// How it works: the hook (WH_KEYBOARD_LL) lives on a thread of the library's
// own with its own message loop, so typing never waits for the program's user
// interface thread. The hook procedure reads the receiving window from the
// section, posts the key message there (never sends) and passes the key on;
// it injects nothing and waits for no one. The system removes a low-level
// hook that once answers too slowly, without telling its owner; the library's
// thread therefore watches for keyboard input the hook did not see (the
// system's last input time later than the hook's last key, and a key held
// down that the hook never saw go down, at two checks a second or more apart)
// and then installs the hook again and posts the re-install notice.

#ifdef HOOKDLL_BUILDING
#define HOOKDLL_API
#else
#define HOOKDLL_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

// `on` all bits set (-1) installs the hook, 0 removes it; either may be
// repeated. The first install starts the library's thread, which then runs
// until the process ends. Returns once the hook thread has done it (or after
// a few seconds); the program ignores the result.
HOOKDLL_API int __stdcall SetHook(int on);

// For tests only: removes the hook behind the library's back, as the system
// does with a hook that answered too slowly; the library still believes it is
// installed.
HOOKDLL_API void __stdcall TestDropHook(void);

#ifdef __cplusplus
}
#endif
