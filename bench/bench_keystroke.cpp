// The keystroke tracker's cost per key message of the hook. Every key typed
// in any application while Tembric is hidden passes through it, two
// messages a key (press and release).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "triggers/KeystrokeTracker.h"

namespace {

using namespace tembric;

struct TimedMessage {
  triggers::KeyMessage message;
  char ch;
};

// Typing in an editor: a sentence, an abbreviation with a typo mended by
// Backspace and looked up, and one given up with an arrow key.
std::vector<TimedMessage> Typing() {
  std::vector<TimedMessage> keys;
  const auto key = [&](std::uintptr_t vk, char ch) {
    keys.push_back({{vk, static_cast<std::intptr_t>(1 | (vk << 16))}, ch});
    keys.push_back({{vk, static_cast<std::intptr_t>(0xC000'0001u | (vk << 16))}, ch});
  };
  const auto text = [&](const char* letters) {
    for (const char* c = letters; *c; ++c) key(static_cast<unsigned char>(*c), *c);
  };
  text("DEAR ANNA THANKS FOR THE NOTES ");
  key(0xBB, '=');
  text("SIGX");
  key(0x08, '\b');
  key(0x20, ' ');
  key(0xBB, '=');
  text("AD");
  key(0x25, 0);
  return keys;
}

void BM_KeystrokeMessage(benchmark::State& state) {
  const std::vector<TimedMessage> keys = Typing();
  triggers::KeystrokeTracker tracker;
  std::int64_t now = 0;
  std::size_t lookUps = 0;
  for (auto _ : state) {
    for (const TimedMessage& k : keys) {
      now += 20;
      const triggers::KeystrokeActions actions = tracker.OnKeyMessage(k.message, k.ch, now, false);
      lookUps += actions.lookUp.has_value();
      benchmark::DoNotOptimize(actions);
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * keys.size()));
  // One abbreviation is looked up a pass.
  state.counters["lookUpsPerPass"] = static_cast<double>(lookUps) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_KeystrokeMessage);

}  // namespace
