// The data-matrix file writer; see data_matrix_writer.h.
#include "export/data_matrix_writer.h"

#include <cassert>
#include <charconv>
#include <cmath>

#include "base/eight_bit_text.h"
#include "base/exception.h"
#include "base/text_format.h"
#include "export/atomic_file.h"

namespace talvex {
namespace {

constexpr const char* LineEnd = "\r\n";
// The reader refuses a label of 65536 bytes; titles get the same bound, far
// below the 1 MiB within which the reader wants the header line.
constexpr std::size_t MaxTextLength = 65535;
// Labels are gathered into lines of about this width, for editors and diffs.
constexpr std::size_t LabelLineWidth = 80;
constexpr char EndOfFileMark = '\x1A';

// `text` cut to MaxTextLength bytes, not inside a UTF-8 character.
std::string Bounded(std::string text) {
  if (text.size() <= MaxTextLength) return text;
  const bool utf8 = IsUtf8(text);
  std::size_t end = MaxTextLength;
  if (utf8) {
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  }
  text.resize(end);
  return text;
}

std::string TitleLine(const std::string& title) {
  std::string text = Bounded(title.substr(0, title.find_first_of("\r\n")));
  for (char& c : text) {
    if (c == EndOfFileMark) c = '_';
  }
  // The reader removes every occurrence of the opening quote character.
  char quote = '"';
  if (text.find('"') != std::string::npos) {
    if (text.find('\'') == std::string::npos) {
      quote = '\'';
    } else {
      for (char& c : text) {
        if (c == '"') c = '\'';
      }
    }
  }
  return quote + text + quote + LineEnd;
}

std::string LabelText(const std::vector<std::string>& labels, TSize i, const char* prefix) {
  if (i > labels.size() || labels[i - 1].empty()) return prefix + std::to_string(i);
  std::string label = Bounded(labels[i - 1]);
  for (char& c : label) {
    if (static_cast<unsigned char>(c) <= 0x20) c = '_';
  }
  return label;
}

void AppendLabels(std::string& text, const std::vector<std::string>& labels, TSize count,
                  const char* prefix) {
  std::size_t lineLength = 0;
  for (TSize i = 1; i <= count; ++i) {
    const std::string label = LabelText(labels, i, prefix);
    if (lineLength > 0 && lineLength + 1 + label.size() > LabelLineWidth) {
      text += LineEnd;
      lineLength = 0;
    }
    if (lineLength > 0) {
      text += ' ';
      ++lineLength;
    }
    text += label;
    lineLength += label.size();
  }
  text += LineEnd;
}

void CheckFinite(const TDataMatrix& data) {
  const double* values = data.values.Data();
  for (std::size_t k = 0; k < data.valueCount; ++k) {
    if (!std::isfinite(values[k])) {
      throw Exception("Object " + std::to_string(k / data.variableCount + 1) + ", variable " +
                      std::to_string(k % data.variableCount + 1) +
                      " holds no finite number; a data-matrix file cannot hold it");
    }
  }
}

}  // namespace

void WriteDataMatrixFile(const std::string& path, const TDataMatrix& data) {
  assert(data.objectCount >= 1 && data.variableCount >= 1);
  assert(data.valueCount == std::size_t(data.objectCount) * data.variableCount);
  assert(data.values.Capacity() >= data.valueCount);
  CheckFinite(data);

  TAtomicFile file(path);
  std::string text = TitleLine(data.title);
  text += "1 " + std::to_string(data.objectCount) + "L " + std::to_string(data.variableCount) +
          "L 0" + LineEnd;
  AppendLabels(text, data.objectLabels, data.objectCount, "OBJ");
  AppendLabels(text, data.variableLabels, data.variableCount, "VAR");
  file.Write(text);

  const double* value = data.values.Data();
  char buffer[32];  // the longest shortest form, "-2.2250738585072014e-308", has 24
  for (TSize i = 1; i <= data.objectCount; ++i) {
    text.clear();
    for (TSize j = 1; j <= data.variableCount; ++j) {
      if (j > 1) text += ' ';
      const auto conversion = std::to_chars(buffer, buffer + sizeof buffer, *value++);
      text.append(buffer, conversion.ptr);
    }
    text += LineEnd;
    file.Write(text);
  }
  file.Commit();
}

}  // namespace talvex
