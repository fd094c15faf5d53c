#include "paste/ClipboardMonitor.h"

#include <array>
#include <stdexcept>
#include <utility>

#include "paste/PasteAction.h"

namespace tembric::paste {
namespace {

struct NamedFormat {
  platform::ClipFormat format;
  const char* name;
};

constexpr std::array kPredefinedNames{
    NamedFormat{1, "CF_TEXT"},
    NamedFormat{2, "CF_BITMAP"},
    NamedFormat{3, "CF_METAFILEPICT"},
    NamedFormat{4, "CF_SYLK"},
    NamedFormat{5, "CF_DIF"},
    NamedFormat{6, "CF_TIFF"},
    NamedFormat{7, "CF_OEMTEXT"},
    NamedFormat{8, "CF_DIB"},
    NamedFormat{9, "CF_PALETTE"},
    NamedFormat{10, "CF_PENDATA"},
    NamedFormat{11, "CF_RIFF"},
    NamedFormat{12, "CF_WAVE"},
    NamedFormat{13, "CF_UNICODETEXT"},
    NamedFormat{14, "CF_ENHMETAFILE"},
    NamedFormat{15, "CF_HDROP"},
    NamedFormat{16, "CF_LOCALE"},
    NamedFormat{17, "CF_DIBV5"},
    NamedFormat{18, "CF_MAX_XP"},
    NamedFormat{128, "CF_OWNERDISPLAY"},
    NamedFormat{131, "CF_DSPMETAFILEPICT"},
    NamedFormat{142, "CF_DSPENHMETAFILE"},
    NamedFormat{512, "CF_PRIVATEFIRST"},
    NamedFormat{767, "CF_PRIVATELAST"},
    NamedFormat{768, "CF_GDIOBJFIRST"},
    NamedFormat{1023, "CF_GDIOBJLAST"},
};

}  // namespace

std::string ClipboardFormatLabel(platform::ClipFormat format, const std::optional<std::string>& registeredName) {
  if (registeredName && !registeredName->empty()) return registeredName->substr(0, platform::clip::kMaxFormatName);
  for (const NamedFormat& named : kPredefinedNames)
    if (named.format == format) return named.name;
  return std::to_string(format);
}

void ClipboardMonitor::Join() {
  if (joined_) return;
  next_ = d_.chain.Join(d_.self());
  joined_ = true;
}

void ClipboardMonitor::Leave() {
  if (!joined_) return;
  d_.chain.Leave(d_.self(), std::exchange(next_, platform::kNoWindow));
  joined_ = false;
}

std::vector<std::string> ClipboardMonitor::ListFormats() {
  std::vector<std::string> formats;
  auto list = [&] {
    for (platform::ClipFormat format : d_.clipboard.EnumFormats())
      formats.push_back(ClipboardFormatLabel(format, d_.clipboard.FormatName(format)));
  };
  const platform::WindowHandle self = d_.self();
  // The notice can come while this window itself holds the clipboard open
  // (a handler that runs inside our own clipboard work): opening again and
  // closing would end that open under its holder, so the listing reads the
  // open clipboard as it is.
  if (self != platform::kNoWindow && d_.clipboard.OpenerWindow() == self) {
    list();
    return formats;
  }
  const std::int64_t deadline = d_.clock.NowMs() + kClipboardOpenLimitMs;
  while (!d_.clipboard.Open(self)) {
    if (d_.clock.NowMs() >= deadline) throw std::runtime_error(kCannotOpenClipboard);
    d_.clock.SleepMs(kPollStepMs);
  }
  struct CloseOnExit {
    platform::Clipboard& clipboard;
    ~CloseOnExit() { clipboard.Close(); }
  } close{d_.clipboard};
  list();
  return formats;
}

void ClipboardMonitor::ClipboardChanged() {
  const std::vector<std::string> formats = ListFormats();
  d_.listing.ShowClipboardFormats(formats);
  if (next_ != platform::kNoWindow) d_.chain.ForwardChange(next_);
}

void ClipboardMonitor::ChainChanged(platform::WindowHandle leaving, platform::WindowHandle following) {
  if (leaving == next_) {
    next_ = following;
  } else if (next_ != platform::kNoWindow) {
    d_.chain.ForwardLeave(next_, leaving, following);
  }
}

}  // namespace tembric::paste
