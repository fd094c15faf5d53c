#pragma once
// Notices collected instead of shown.

#include <string>
#include <vector>

#include "app/Notices.h"

namespace tembric::fakes {

class FakeNotices : public app::Notices {
 public:
  struct Notice {
    app::NoticeKind kind;
    std::string text;
    bool operator==(const Notice&) const = default;
  };
  std::vector<Notice> shown;

  std::vector<std::string> asked;  // the questions, in order
  bool answer = true;              // Yes

  void Show(app::NoticeKind kind, const std::string& text) override { shown.push_back({kind, text}); }
  bool Confirm(const std::string& text) override {
    asked.push_back(text);
    return answer;
  }
};

}  // namespace tembric::fakes
