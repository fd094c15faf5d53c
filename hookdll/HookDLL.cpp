// The keyboard hook library; see HookDLL.h for its contract and working.
#include "HookDLL.h"

#include <windows.h>

#include "platform/KeystrokeExchange.h"

namespace {

namespace keybits = tembric::platform::keybits;

// Thread messages of the hook thread.
constexpr UINT kApplyRequest = WM_APP + 1;  // make the hook match `wanted`
constexpr UINT kDropRequest = WM_APP + 2;   // test only: unhook, keep believing it is installed

constexpr UINT kWatchIntervalMs = 200;
// Missed keys at two checks this far apart mean the hook is gone.
constexpr DWORD kMissSpanMs = 1000;
// How long SetHook waits for the hook thread.
constexpr DWORD kRequestTimeoutMs = 5000;

HMODULE self = nullptr;

// ---- Shared between SetHook's callers and the hook thread -------------------
SRWLOCK requestLock = SRWLOCK_INIT;  // one request at a time
HANDLE requestDone = nullptr;        // auto-reset: the hook thread handled a request
DWORD hookThreadId = 0;
volatile LONG wanted = 0;

// ---- The hook thread's own (the hook procedure runs on that thread) -------
HHOOK hook = nullptr;
const volatile DWORD* receiver = nullptr;  // the mapped section
UINT keyMessage = 0;
UINT restoredMessage = 0;
bool knownDown[256] = {};  // keys the hook saw go down and not yet up
DWORD lastHookInputTime = 0;
DWORD missSince = 0;  // tick of the first missed key since the hook last saw one; 0 for none
WPARAM restoredCount = 0;

HWND Receiver() {
  // The handle's low 32 bits, widened as the system widens window handles.
  return receiver ? static_cast<HWND>(LongToHandle(static_cast<LONG>(*receiver))) : nullptr;
}

// The keystroke flags of a keyboard message for one hook event.
LPARAM KeyFlags(const KBDLLHOOKSTRUCT& key) {
  const bool up = (key.flags & LLKHF_UP) != 0;
  const DWORD vk = key.vkCode & 0xFF;
  DWORD bits = 1 | ((key.scanCode & 0xFF) << keybits::kScanShift);
  if (key.flags & LLKHF_EXTENDED) bits |= keybits::kExtended;
  // Alt held: as the system reports it, or as the hook saw the Alt keys go
  // (not every system reports it for injected keys).
  const bool altKey = vk == VK_LMENU || vk == VK_RMENU;
  if ((key.flags & LLKHF_ALTDOWN) || (altKey && !up) || knownDown[VK_LMENU] || knownDown[VK_RMENU])
    bits |= keybits::kAltDown;
  if (up || knownDown[vk]) bits |= keybits::kWasDown;
  if (up) bits |= keybits::kKeyUp;
  knownDown[vk] = !up;
  return static_cast<LPARAM>(bits);  // zero-extended, as the system's keyboard messages
}

LRESULT CALLBACK KeyboardHook(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION) {
    const auto& key = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lp);
    lastHookInputTime = key.time;
    missSince = 0;
    const LPARAM flags = KeyFlags(key);
    if (const HWND target = Receiver(); target && keyMessage) PostMessageA(target, keyMessage, key.vkCode, flags);
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

bool IsKeyboardKey(int vk) {
  switch (vk) {
    case VK_LBUTTON:
    case VK_RBUTTON:
    case VK_MBUTTON:
    case VK_XBUTTON1:
    case VK_XBUTTON2:
    case VK_SHIFT:  // the hook sees the left and right keys, never these
    case VK_CONTROL:
    case VK_MENU:
      return false;
    default:
      return true;
  }
}

// Keys already held when the hook goes in are not keys it missed.
void TakeHeldKeys() {
  for (int vk = 1; vk < 255; ++vk) knownDown[vk] = IsKeyboardKey(vk) && GetAsyncKeyState(vk) < 0;
  LASTINPUTINFO last{.cbSize = sizeof(LASTINPUTINFO), .dwTime = 0};
  lastHookInputTime = GetLastInputInfo(&last) ? last.dwTime : GetTickCount();
  missSince = 0;
}

void Install() {
  hook = SetWindowsHookExA(WH_KEYBOARD_LL, &KeyboardHook, self, 0);
  TakeHeldKeys();
}

void Remove() {
  if (hook) UnhookWindowsHookEx(hook);
  hook = nullptr;
}

void Apply() {
  if (wanted && !hook) Install();
  if (!wanted && hook) Remove();
}

// True when a key is down that the hook never saw go down.
bool MissedKey() {
  bool missed = false;
  for (int vk = 1; vk < 255; ++vk) {
    if (!IsKeyboardKey(vk)) continue;
    if (GetAsyncKeyState(vk) >= 0)
      knownDown[vk] = false;  // a release the hook did not see
    else if (!knownDown[vk])
      missed = true;
  }
  return missed;
}

void Watch() {
  if (!hook) return;
  LASTINPUTINFO last{.cbSize = sizeof(LASTINPUTINFO), .dwTime = 0};
  // Only input after the hook's last key can have been missed; the scan of
  // the key states is skipped while nothing happened.
  if (GetLastInputInfo(&last) && static_cast<LONG>(last.dwTime - lastHookInputTime) <= 0) return;
  if (!MissedKey()) return;
  const DWORD now = GetTickCount() | 1;  // never 0, which means none
  if (!missSince) {
    missSince = now;
    return;
  }
  if (now - missSince < kMissSpanMs) return;
  Remove();
  Install();
  ++restoredCount;
  if (const HWND target = Receiver(); target && restoredMessage)
    PostMessageA(target, restoredMessage, restoredCount, 0);
}

void OpenExchange() {
  using tembric::platform::kExchangeName;
  // Created here when the program has not made it yet; the program's handle
  // then simply stays 0 until it stores one. Kept for the process's life.
  const HANDLE section = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                            tembric::platform::kExchangeSectionSize, kExchangeName);
  if (section) receiver = static_cast<const volatile DWORD*>(MapViewOfFile(section, FILE_MAP_READ, 0, 0, 0));
  keyMessage = RegisterWindowMessageA(kExchangeName);
  restoredMessage = RegisterWindowMessageA(tembric::platform::kHookRestoredName);
}

DWORD WINAPI HookThread(void*) {
  MSG msg;
  PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // the thread's queue, before anyone posts
  OpenExchange();
  SetTimer(nullptr, 0, kWatchIntervalMs, nullptr);
  Apply();
  SetEvent(requestDone);
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd) {
      DispatchMessageA(&msg);
      continue;
    }
    switch (msg.message) {
      case kApplyRequest:
        Apply();
        SetEvent(requestDone);
        break;
      case kDropRequest:
        if (hook) UnhookWindowsHookEx(hook);  // `hook` is kept: the library does not know
        SetEvent(requestDone);
        break;
      case WM_TIMER:
        Watch();
        break;
      default:
        break;
    }
  }
  return 0;
}

// Starts the hook thread, which handles its first request on its own; false
// when it cannot run. Called under requestLock.
bool StartThread() {
  if (!requestDone) requestDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!requestDone) return false;
  // The thread runs code of this library until the process ends: the library
  // stays loaded whatever FreeLibrary calls come.
  HMODULE pinned = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCSTR>(&HookThread), &pinned);
  DWORD id = 0;
  const HANDLE thread = CreateThread(nullptr, 0, &HookThread, nullptr, 0, &id);
  if (!thread) return false;
  CloseHandle(thread);
  hookThreadId = id;
  return true;
}

// Hands `request` to the hook thread and waits until it has been handled.
bool Request(UINT request) {
  AcquireSRWLockExclusive(&requestLock);
  bool ok = true;
  if (!hookThreadId) {
    ok = request == kApplyRequest && wanted ? StartThread() : true;
    if (ok && hookThreadId) ok = WaitForSingleObject(requestDone, kRequestTimeoutMs) == WAIT_OBJECT_0;
  } else {
    ok = PostThreadMessageA(hookThreadId, request, 0, 0) &&
         WaitForSingleObject(requestDone, kRequestTimeoutMs) == WAIT_OBJECT_0;
  }
  ReleaseSRWLockExclusive(&requestLock);
  return ok;
}

}  // namespace

extern "C" int __stdcall SetHook(int on) {
  InterlockedExchange(&wanted, on ? 1 : 0);
  return Request(kApplyRequest) ? TRUE : FALSE;
}

extern "C" void __stdcall TestDropHook(void) { Request(kDropRequest); }

// Nothing is started or joined here: the loader lock is held.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) {
    self = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
