// The data-matrix reader: leading lines, header, labels, values.
#include "input/data_reader.h"

#include <utility>

#include "input/data_header.h"
#include "input/data_scanner.h"
#include "input/decimal_value.h"
#include "input/file_bytes.h"
#include "numeric/text_format.h"

namespace talvex {

namespace {

[[noreturn]] void RaiseNotEnoughData() { throw EDataRefused("Not enough data in file"); }

bool IsQuote(char c) { return c == '"' || c == '\''; }

// Blank lines and quoted lines before the header; the first quoted line is the
// title. Returns the header line, or an empty text when the file ends first
// (which the matrix-type check then refuses).
std::string ScanLeadingLines(TDataScanner& scanner, std::string& title) {
  bool titleSeen = false;
  while (!scanner.AtEnd()) {
    const std::string_view line = TrimControls(scanner.NextLine());
    if (line.empty()) continue;
    if (!IsQuote(line.front())) return std::string(line);
    if (!titleSeen) {
      title = RemoveChar(line.front(), std::string(line));
      titleSeen = true;
    }
  }
  return std::string();
}

void ReadLabels(TDataScanner& scanner, bool fromFile, TSize count, const char* prefix,
                std::vector<std::string>& labels) {
  labels.clear();
  labels.reserve(count);
  for (TSize i = 1; i <= count; ++i) {
    if (fromFile) {
      if (!scanner.SkipToItem()) RaiseNotEnoughData();
      labels.push_back(scanner.NextLabel());
    } else {
      labels.push_back(prefix + std::to_string(i));
    }
  }
}

}  // namespace

void ParseDataMatrix(std::string_view bytes, TDataMatrix& data) {
  TDataScanner scanner(bytes);
  TDataMatrix read;
  read.title = data.title;  // a file without a quoted line keeps the previous title

  const TDataHeader header = ParseHeaderLine(ScanLeadingLines(scanner, read.title));
  read.objectCount = header.objectCount;
  read.variableCount = header.variableCount;
  read.valueCount = CheckDeclaredSize(header, scanner.BytesLeft());

  ReadLabels(scanner, header.objectLabels, read.objectCount, "OBJ", read.objectLabels);
  ReadLabels(scanner, header.variableLabels, read.variableCount, "VAR", read.variableLabels);

  read.values = TFloatVector(read.valueCount);
  double* values = read.values.Data();
  for (TSize k = 0; k < read.valueCount; ++k) {
    if (!scanner.SkipToItem()) RaiseNotEnoughData();
    values[k] = ParseDecimalValue(scanner.NextValueRun());
  }
  data = std::move(read);
}

void ReadDataFile(const std::string& path, TDataMatrix& data) {
  ParseDataMatrix(ReadFileBytes(path), data);
}

std::string InformationLine(const TDataMatrix& data) {
  return std::to_string(data.objectCount) + " objects, " + std::to_string(data.variableCount) +
         " descriptors";
}

}  // namespace talvex
