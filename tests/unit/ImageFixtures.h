#pragma once
// The picture files of tests/fixtures/images, read whole.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace tembric::paste {

inline std::vector<std::uint8_t> Fixture(const std::string& name) {
  const auto path = std::filesystem::path(__FILE__).parent_path() / ".." / "fixtures" / "images" / name;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("missing fixture " + path.string());
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace tembric::paste
