// Top-level windows: finding them by class or title, waiting for them, and
// listing those of one executable; the controls inside a window.
#include <cstdio>
#include <map>

#include "../common/escape.h"
#include "probe.h"

namespace probe {
namespace {

BOOL CALLBACK Collect(HWND hwnd, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

std::string BaseName(const std::string& path) {
  const auto cut = path.find_last_of("\\/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string ExeOfProcess(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (process == nullptr) return "";
  char path[MAX_PATH * 2];
  DWORD size = sizeof path;
  std::string result;
  if (QueryFullProcessImageNameA(process, 0, path, &size)) result = BaseName(std::string(path, size));
  CloseHandle(process);
  return result;
}

}  // namespace

std::string ClassOf(HWND hwnd) {
  char name[256];
  const int n = GetClassNameA(hwnd, name, sizeof name);
  return n > 0 ? std::string(name, n) : std::string();
}

std::string TitleOf(HWND hwnd) {
  char title[4096];
  const int n = GetWindowTextA(hwnd, title, sizeof title);
  return n > 0 ? std::string(title, n) : std::string();
}

DWORD ProcessOf(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return pid;
}

std::string ExeOf(HWND hwnd) {
  static std::map<DWORD, std::string> cache;
  const DWORD pid = ProcessOf(hwnd);
  auto it = cache.find(pid);
  if (it == cache.end()) it = cache.emplace(pid, ExeOfProcess(pid)).first;
  return it->second;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::string Escape(const std::string& text) { return e2e::Escape(text); }

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                                                b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

std::string Hex(HWND hwnd) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(hwnd)));
  return text;
}

bool ParseQuery(const Args& args, std::size_t* pos, Query* query) {
  std::size_t i = *pos;
  if (i < args.size() && args[i] == "-visible") {
    query->visible_only = true;
    ++i;
  }
  if (i < args.size() && args[i] == "-name") {
    query->by_title = true;
    ++i;
  }
  if (i >= args.size()) return false;
  query->text = args[i++];
  *pos = i;
  return true;
}

std::vector<HWND> Find(const Query& query) {
  std::vector<HWND> found;
  for (HWND hwnd : TopLevelWindows()) {
    if (query.visible_only && !IsWindowVisible(hwnd)) continue;
    if (query.by_title) {
      if (TitleOf(hwnd) != query.text) continue;
      if (!query.dialog_class.empty() && ClassOf(hwnd) != query.dialog_class) continue;
    } else if (ClassOf(hwnd) != query.text) {
      continue;
    }
    found.push_back(hwnd);
  }
  return found;
}

int WaitWindow(const Args& args) {
  Query query;
  std::size_t pos = 0;
  double seconds = 0;
  if (!ParseQuery(args, &pos, &query) || pos + 1 != args.size() || !ParseSeconds(args[pos], &seconds)) return kUsage;
  const Deadline deadline(seconds);
  for (;;) {
    const auto found = Find(query);
    if (!found.empty()) {
      for (HWND hwnd : found) std::printf("%s\n", Hex(hwnd).c_str());
      return kYes;
    }
    if (deadline.Passed()) break;
    TinySleep();
  }
  std::printf("no window %s \"%s\" after %gs\n", query.by_title ? "titled" : "of class", query.text.c_str(), seconds);
  return kNo;
}

int WaitGone(const Args& args) {
  Query query;
  std::size_t pos = 0;
  double seconds = 0;
  if (!ParseQuery(args, &pos, &query) || pos + 1 != args.size() || !ParseSeconds(args[pos], &seconds)) return kUsage;
  const Deadline deadline(seconds);
  for (;;) {
    const auto found = Find(query);
    if (found.empty()) return kYes;
    if (deadline.Passed()) {
      for (HWND hwnd : found) std::printf("still there: %s\n", Hex(hwnd).c_str());
      return kNo;
    }
    TinySleep();
  }
}

// One line per top-level window, tab-separated:
// HWND  PID  CLASS  visible|hidden  LEFT,TOP,RIGHT,BOTTOM  TITLE
int WindowsOfExe(const Args& args) {
  if (args.size() != 1) return kUsage;
  int listed = 0;
  for (HWND hwnd : TopLevelWindows()) {
    if (!SameText(ExeOf(hwnd), args[0])) continue;
    RECT r{};
    GetWindowRect(hwnd, &r);
    std::printf("%s\t%lu\t%s\t%s\t%ld,%ld,%ld,%ld\t%s\n", Hex(hwnd).c_str(),
                static_cast<unsigned long>(ProcessOf(hwnd)), ClassOf(hwnd).c_str(),
                IsWindowVisible(hwnd) ? "visible" : "hidden", r.left, r.top, r.right, r.bottom,
                Escape(TitleOf(hwnd)).c_str());
    ++listed;
  }
  return listed > 0 ? kYes : kNo;
}

int FindOne(const Args& args, std::size_t* pos, HWND* window) {
  Query query;
  if (!ParseQuery(args, pos, &query)) return kUsage;
  const auto found = Find(query);
  if (found.size() == 1) {
    *window = found.front();
    return kYes;
  }
  std::printf("%zu windows %s \"%s\"\n", found.size(), query.by_title ? "titled" : "of class", query.text.c_str());
  return found.empty() ? kNo : kAmbiguous;
}

std::vector<HWND> Descendants(HWND parent, const std::string& cls) {
  std::vector<HWND> all;
  EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&all));
  if (cls.empty()) return all;
  std::vector<HWND> matching;
  for (HWND hwnd : all)
    if (SameText(ClassOf(hwnd), cls)) matching.push_back(hwnd);
  return matching;
}

HWND FirstDescendant(HWND parent, const std::string& cls) {
  const auto found = Descendants(parent, cls);
  for (HWND hwnd : found)
    if (IsWindowVisible(hwnd)) return hwnd;
  return found.empty() ? nullptr : found.front();
}

}  // namespace probe
