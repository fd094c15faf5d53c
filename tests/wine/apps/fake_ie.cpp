// A stand-in for an Internet Explorer window, with the window classes that
// lead to its address box.
//
// Usage: fake_ie READY-FILE TITLE ADDRESS [band]
// Shows a top-level "IEFrame" window titled TITLE holding
// WorkerW > ReBarWindow32 > ComboBoxEx32, the last with ADDRESS as its text;
// with "band", the address box sits one level lower, in an
// "Address Band Root" window inside the rebar. Next to the address box the
// rebar holds a toolbar, as the real one does. Writes "main=" and "address="
// lines to READY-FILE; ends when the frame is closed or WM_QUIT is posted.
#include <windows.h>

#include <cstring>
#include <string>

#include "helper_common.h"

namespace {

HWND Child(HWND parent, const char* className, const char* text) {
  return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE, 0, 0, 300, 24, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  const bool band = argc == 5 && std::strcmp(argv[4], "band") == 0;
  if (argc != 4 && !band) return helper::Fail("usage: fake_ie READY-FILE TITLE ADDRESS [band]");
  if (!helper::RegisterPlainClass("IEFrame", helper::MainWindowProc)) return helper::Fail("RegisterClass IEFrame");
  for (const char* name : {"WorkerW", "ReBarWindow32", "ToolbarWindow32", "Address Band Root", "ComboBoxEx32"})
    if (!helper::RegisterPlainClass(name)) return helper::Fail(name);

  HWND frame = CreateWindowExA(0, "IEFrame", argv[2], WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 640, 480, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!frame) return helper::Fail("CreateWindow IEFrame");
  HWND worker = Child(frame, "WorkerW", "");
  HWND rebar = worker ? Child(worker, "ReBarWindow32", "") : nullptr;
  if (!rebar || !Child(rebar, "ToolbarWindow32", "Links")) return helper::Fail("CreateWindow rebar");
  HWND boxParent = band ? Child(rebar, "Address Band Root", "") : rebar;
  HWND address = boxParent ? Child(boxParent, "ComboBoxEx32", argv[3]) : nullptr;
  if (!address) return helper::Fail("CreateWindow address box");

  if (!helper::WriteReadyFile(argv[1], helper::HandleLine("main", frame) + helper::HandleLine("address", address)))
    return helper::Fail("writing the ready file");
  return helper::RunUntilQuit();
}
