#include "app/Trace.h"

#include <deque>

namespace tembric::app {
namespace {

struct TraceState {
  TraceSink* sink = nullptr;
  std::deque<std::string> pending;
};

TraceState& State() {
  static TraceState state;
  return state;
}

}  // namespace

void Trace(std::string_view line) {
  auto& state = State();
  if (state.sink) {
    state.sink->AddTraceLine(std::string(line));
    return;
  }
  state.pending.emplace_back(line);
  if (state.pending.size() > kMaxPendingTraceLines) state.pending.pop_front();
}

void ClearTrace() {
  auto& state = State();
  state.pending.clear();
  if (state.sink) state.sink->ClearTraceLines();
}

void SetTraceSink(TraceSink* sink) {
  auto& state = State();
  state.sink = sink;
  if (!sink) return;
  auto pending = std::move(state.pending);
  state.pending.clear();
  for (const auto& line : pending) sink->AddTraceLine(line);
}

std::vector<std::string> PendingTraceLines() {
  const auto& pending = State().pending;
  return {pending.begin(), pending.end()};
}

}  // namespace tembric::app
