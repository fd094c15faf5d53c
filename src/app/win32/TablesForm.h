#pragma once
// TForm2, the debug window opened by "Show Table": the three live tables on
// tab pages (one virtual list view each, all fields as columns), the trace
// log, the keystroke being typed, the seconds since the last activity and a
// panel for the clipboard viewer. Non-modal; closing it hides it.
#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "app/Trace.h"
#include "app/win32/Window.h"

namespace tembric::store {
class DataTable;
struct Library;
}  // namespace tembric::store

namespace tembric::app::win32 {

class TablesForm final : public Window, public TraceSink {
 public:
  static constexpr int kWidth = 813;
  static constexpr int kHeight = 601;

  TablesForm() = default;
  ~TablesForm() override;

  void CreateHidden();
  // The tables shown on the pages; their changes refresh the pages.
  void Bind(store::Library& library);
  // Forgets the tables (their owner is going).
  void Unbind();
  void ShowViewer();

  void AddTraceLine(const std::string& line) override;
  void ClearTraceLines() override;
  void SetSeconds(int seconds);
  void SetKeystrokeText(const std::string& text);
  // The clipboard panel: the formats on the clipboard, as the clipboard
  // monitor last listed them.
  void ShowClipboardFormats(const std::vector<std::string>& formats);

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  struct Page {
    const char* title = "";
    store::DataTable* table = nullptr;
    int observer = -1;
    HWND list = nullptr;
    std::vector<std::vector<std::string>> rows;  // the cell texts of the last refresh
    bool stale = true;
  };

  void CreateControls();
  void Layout();
  void ShowPage(int index);
  void MarkStale(int index);
  void Refresh(int index);
  LRESULT OnNotify(NMHDR* header);

  std::array<Page, 3> pages_;
  HWND tabs_ = nullptr;
  HWND log_ = nullptr;
  HWND logLabel_ = nullptr;
  HWND keystrokeLabel_ = nullptr;
  HWND keystroke_ = nullptr;
  HWND secondsLabel_ = nullptr;
  HWND clipboardFrame_ = nullptr;  // its caption
  HWND clipboardList_ = nullptr;
  int current_ = 0;
  int seconds_ = -1;
  bool shownBefore_ = false;
};

}  // namespace tembric::app::win32
