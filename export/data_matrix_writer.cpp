// The data-matrix writer.
#include "export/data_matrix_writer.h"

#include <charconv>

#include "export/atomic_file.h"

namespace talvex {

namespace {

// Labels per line, as the example files hold them.
constexpr TSize LabelsPerLine = 10;

// A label as one blank-free item: blanks (and anything below a blank, which
// the reader would also take as a separator) become '_'.
std::string LabelItem(const std::string& label) {
  std::string item = label.empty() ? std::string("_") : label;
  for (char& c : item) {
    if (static_cast<unsigned char>(c) <= ' ') c = '_';
  }
  return item;
}

// The reader drops the opening quote character wherever it stands in the
// title line, so the quote is one the title does not hold.
std::string TitleLine(const std::string& title) {
  if (title.find('"') == std::string::npos) return "\"" + title;
  if (title.find('\'') == std::string::npos) return "'" + title;
  std::string kept;
  for (const char c : title) {
    if (c != '"') kept += c;
  }
  return "\"" + kept;
}

void AppendLabels(std::string& text, const std::vector<std::string>& labels) {
  for (TSize i = 0; i < labels.size(); ++i) {
    text += LabelItem(labels[i]);
    text += (i + 1) % LabelsPerLine == 0 || i + 1 == labels.size() ? "\r\n" : " ";
  }
}

}  // namespace

void WriteDataMatrixFile(const std::string& path, const TDataMatrix& data) {
  std::string text = TitleLine(data.title) + "\r\n";
  text += "1 " + std::to_string(data.objectCount) + "L " + std::to_string(data.variableCount) +
          "L 0\r\n";
  AppendLabels(text, data.objectLabels);
  AppendLabels(text, data.variableLabels);
  const double* values = data.values.Data();
  char number[32];
  for (TSize i = 0; i < data.objectCount; ++i) {
    for (TSize j = 0; j < data.variableCount; ++j) {
      const auto result =
          std::to_chars(number, number + sizeof number, values[i * data.variableCount + j]);
      if (j > 0) text += ' ';
      text.append(number, result.ptr);
    }
    text += "\r\n";
  }
  TAtomicFile file(path);
  file.Write(text);
  file.Commit();
}

}  // namespace talvex
