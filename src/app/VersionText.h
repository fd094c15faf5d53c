#pragma once
// The executable's file version as dotted text, its parts chosen by a mask.

#include <optional>
#include <string>

#include "platform/VersionInfo.h"

namespace tembric::app {

// Parts of a file version; combine them into a mask.
inline constexpr unsigned kVersionMajor = 1;
inline constexpr unsigned kVersionMinor = 2;
inline constexpr unsigned kVersionRelease = 4;
inline constexpr unsigned kVersionBuild = 8;

// The selected numbers in decimal, in the order major, minor, release, build,
// with "." only between two numbers: 1.2.0.0 gives "1.2.0" for mask 7, "1.2"
// for mask 3 and "0" for mask 8. An unknown version gives "".
std::string VersionText(const std::optional<platform::FileVersion>& version, unsigned mask);

// "Version 1.2.0": the splash's version label.
std::string SplashVersionLabel(const std::optional<platform::FileVersion>& version);

// "Tembric 1.2": the main window's caption.
std::string MainWindowCaption(const std::optional<platform::FileVersion>& version);

}  // namespace tembric::app
