// Lower-casing and file extensions.
#include "base/file_name_case.h"

namespace talvex {

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::string FileExtension(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || name == "..") return {};
  return AsciiLower(name.substr(dot + 1));
}

bool HasExtension(std::string_view path, std::string_view extension) {
  return FileExtension(path) == extension;
}

}  // namespace talvex
