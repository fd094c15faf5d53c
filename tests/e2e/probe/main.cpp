// tembric-probe COMMAND ARGS...  (see usage below)
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>

#include "probe.h"

namespace {

struct Command {
  const char* name;
  int (*run)(const probe::Args&);
  const char* usage;
};

const Command kCommands[] = {
    {"wait-window", probe::WaitWindow, "[-visible] (CLASS | -name TITLE) SECONDS"},
    {"wait-gone", probe::WaitGone, "[-visible] (CLASS | -name TITLE) SECONDS"},
    {"windows-of-exe", probe::WindowsOfExe, "NAME"},
    {"dialog-text", probe::DialogText, "TITLE"},
    {"press", probe::Press, "TITLE BUTTON"},
    {"mutex-exists", probe::MutexExists, "NAME"},
    {"record-open", probe::RecordOpen, "LOG ARG..."},
    {"watch-class", probe::WatchClass, "CLASS SECONDS"},
    {"answers", probe::Answers, "CLASS SECONDS"},
    {"busy", probe::Busy, "CLASS MS"},
    {"wait-started", probe::WaitStarted, "MAIN_CLASS SPLASH_CLASS SECONDS"},
    {"tree-items", probe::TreeItems, "[-visible] (CLASS | -name TITLE)"},
    {"tree-item-rect", probe::TreeItemRect, "[-visible] (CLASS | -name TITLE) TEXT"},
    {"wait-tree", probe::WaitTree, "[-visible] (CLASS | -name TITLE) MIN_ITEMS SECONDS"},
    {"window-state", probe::WindowState, "[-visible] (CLASS | -name TITLE)"},
    {"close-box", probe::CloseBox, "[-visible] (CLASS | -name TITLE)"},
    {"controls", probe::Controls, "[-visible] (CLASS | -name TITLE)"},
    {"hotkey", probe::Hotkey, "HWND [VK MODIFIERS]"},
    {"edit-text", probe::EditText, "[-multiline | -single] [-visible] (CLASS | -name TITLE)"},
    {"toolbar", probe::Toolbar, "[-visible] (CLASS | -name TITLE)"},
    {"list-items", probe::ListItems, "[-visible] (CLASS | -name TITLE)"},
    {"wait-painted", probe::WaitPainted, "[-visible] (CLASS | -name TITLE) SECONDS"},
    {"clipboard-set-text", probe::ClipboardSetText, "TEXT [NAME DATA]..."},
    {"clipboard-text", probe::ClipboardText, ""},
    {"clipboard-formats", probe::ClipboardFormats, ""},
};

int Usage() {
  std::fprintf(stderr, "usage: tembric-probe COMMAND ARGS\n");
  for (const auto& c : kCommands) std::fprintf(stderr, "  %s %s\n", c.name, c.usage);
  std::fprintf(stderr,
               "exit codes: 0 yes/found, 1 no/not found by the deadline, 2 usage, "
               "3 more than one match\n");
  return probe::kUsage;
}

}  // namespace

int main(int argc, char** argv) {
  // Plain "\n" line ends for the shell scripts that read the output.
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc < 2) return Usage();
  const probe::Args args(argv + 2, argv + argc);
  for (const auto& c : kCommands) {
    if (std::strcmp(argv[1], c.name) != 0) continue;
    const int rc = c.run(args);
    if (rc == probe::kUsage) {
      std::fprintf(stderr, "usage: tembric-probe %s %s\n", c.name, c.usage);
    }
    std::fflush(stdout);
    return rc;
  }
  return Usage();
}
