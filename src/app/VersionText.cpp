#include "app/VersionText.h"

namespace tembric::app {

std::string VersionText(const std::optional<platform::FileVersion>& version, unsigned mask) {
  if (!version) return {};
  const struct {
    unsigned bit;
    std::uint16_t number;
  } parts[] = {
      {kVersionMajor, version->major},
      {kVersionMinor, version->minor},
      {kVersionRelease, version->release},
      {kVersionBuild, version->build},
  };
  std::string text;
  for (const auto& part : parts) {
    if ((mask & part.bit) == 0) continue;
    if (!text.empty()) text += '.';
    text += std::to_string(part.number);
  }
  return text;
}

std::string SplashVersionLabel(const std::optional<platform::FileVersion>& version) {
  return "Version " + VersionText(version, kVersionMajor | kVersionMinor | kVersionRelease);
}

std::string MainWindowCaption(const std::optional<platform::FileVersion>& version) {
  return "Tembric " + VersionText(version, kVersionMajor | kVersionMinor);
}

}  // namespace tembric::app
