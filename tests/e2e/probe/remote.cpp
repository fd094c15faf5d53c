// Memory in another process, for the common-control messages whose
// arguments are pointers (tree items, toolbar buttons, tab captions): the
// system copies no data for them between processes, so the structures and
// text buffers must live in the process that owns the control.
#include "probe.h"

namespace probe {

RemoteMemory::RemoteMemory(HWND window, std::size_t size) : size_(size) {
  process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION, FALSE,
                         ProcessOf(window));
  if (process_ == nullptr) return;
  address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteMemory::~RemoteMemory() {
  if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  if (process_ != nullptr) CloseHandle(process_);
}

bool RemoteMemory::Write(std::size_t offset, const void* data, std::size_t size) {
  if (!Ok() || offset + size > size_) return false;
  SIZE_T written = 0;
  return WriteProcessMemory(process_, At(offset), data, size, &written) && written == size;
}

bool RemoteMemory::Read(std::size_t offset, void* data, std::size_t size) const {
  if (!Ok() || offset + size > size_) return false;
  SIZE_T read = 0;
  return ReadProcessMemory(process_, At(offset), data, size, &read) && read == size;
}

std::string RemoteMemory::ReadText(std::size_t offset, std::size_t max) const {
  std::string text(max, '\0');
  if (!Read(offset, text.data(), max)) return "";
  text.resize(text.find('\0') == std::string::npos ? max : text.find('\0'));
  return text;
}

}  // namespace probe
