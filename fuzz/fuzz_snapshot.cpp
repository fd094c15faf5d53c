// Restores arbitrary bytes as a clipboard snapshot into the in-memory
// clipboard. A restore may throw only the two errors it documents, must close
// the clipboard, and may never place more data bytes than it was given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "../tests/fakes/FakeClipboard.h"
#include "store/ClipboardSnapshot.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tembric::fakes::FakeClipboard clipboard(0xC000 + static_cast<unsigned>(size % 64));
  clipboard.RegisterFormat("HTML Format");
  clipboard.RefuseSetData(0x0400);
  try {
    tembric::store::RestoreClipboard(clipboard, {data, size}, 1);
  } catch (const tembric::store::SnapshotReadError&) {
  }
  if (clipboard.IsOpen()) std::abort();
  std::size_t placed = 0;
  for (const auto format : clipboard.StoredFormats()) placed += clipboard.Peek(format)->size();
  if (placed > size) std::abort();

  // What was restored captures again without trouble.
  std::vector<std::uint8_t> again;
  tembric::store::VectorSink sink(again);
  if (!clipboard.Open(1)) std::abort();
  tembric::store::CaptureClipboard(clipboard, sink);
  clipboard.Close();
  return 0;
}
