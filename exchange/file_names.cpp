#include "exchange/file_names.h"

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool EndsWithExtension(std::string_view path, std::string_view extension) {
  if (path.size() < 3) return false;
  return LowerAscii(path.substr(path.size() - 3)) == extension;
}

std::string WithExtension(const std::string& path, std::string_view extension) {
  if (EndsWithExtension(path, extension)) return path;
  return path + "." + std::string(extension);
}

std::string FolderPart(std::string_view path) {
  if (!path.empty() && path.front() == '"') path.remove_prefix(1);
  const size_t slash = path.rfind('\\');
  if (slash == std::string_view::npos) return "";
  return std::string(path.substr(0, slash + 1));
}

std::string FilePart(std::string_view path) {
  const size_t slash = path.rfind('\\');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ChosenFileExtension(std::string_view path) {
  return LowerAscii(path.size() < 3 ? path : path.substr(path.size() - 3));
}

std::string DroppedFileExtension(std::string_view path) {
  const size_t dot = path.rfind('.');
  const size_t slash = path.rfind('\\');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return "";
  std::string_view extension = path.substr(dot + 1);
  const size_t quote = extension.find('"');
  if (quote != std::string_view::npos) extension = extension.substr(0, quote);
  return LowerAscii(extension);
}

bool IsPictureExtension(std::string_view extension) {
  return extension == "bmp" || extension == "jpg" || extension == "png";
}
