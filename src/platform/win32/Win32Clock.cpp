#include <windows.h>

#include "platform/Clock.h"

namespace tembric::platform {
namespace {

class TickClock final : public Clock {
 public:
  std::int64_t NowMs() override { return static_cast<std::int64_t>(GetTickCount64()); }
  // Posted messages and input wait; messages sent to our windows by other
  // threads and programs are answered. Another program reading a clipboard we
  // own waits for such an answer (under Wine for every read), and without it
  // a paste's target would read the clipboard only after the restore.
  void SleepMs(int ms) override {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(ms < 0 ? 0 : ms);
    for (;;) {
      MSG msg;
      PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // dispatches sent messages only
      const ULONGLONG now = GetTickCount64();
      if (now >= end) return;
      MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), QS_SENDMESSAGE, 0);
    }
  }
};

}  // namespace

Clock& RealClock() {
  static TickClock clock;
  return clock;
}

}  // namespace tembric::platform
