#pragma once
// Short trace lines for the debug window's log. They carry no behaviour: the
// program never reads them back. Lines written before a log window exists
// are kept (up to a limit) and handed to it when it attaches.

#include <string>
#include <string_view>
#include <vector>

namespace tembric::app {

class TraceSink {
 public:
  virtual ~TraceSink() = default;
  virtual void AddTraceLine(const std::string& line) = 0;
  // Empties the log.
  virtual void ClearTraceLines() {}
};

// Adds one line to the log.
void Trace(std::string_view line);

// Empties the log, and drops the lines kept for it.
void ClearTrace();

// Attaches the log (nullptr detaches it); the kept lines go to it at once.
void SetTraceSink(TraceSink* sink);

// The lines kept while no sink is attached, oldest first.
std::vector<std::string> PendingTraceLines();

inline constexpr std::size_t kMaxPendingTraceLines = 1000;

}  // namespace tembric::app
