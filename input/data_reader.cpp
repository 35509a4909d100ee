// The data-matrix reader: leading lines, header, labels, values.
#include "input/data_reader.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "base/text_format.h"
#include "input/byte_source.h"
#include "input/data_header.h"
#include "input/data_scanner.h"
#include "input/decimal_value.h"
#include "input/file_source.h"

namespace talvex {

namespace {

// A header comes within the first lines of a data file. Beyond this many
// bytes without one the file is refused, so that a binary file, /dev/zero or
// an endless pipe is turned down at once instead of being read to its end.
constexpr std::size_t MaxLeadingBytes = std::size_t(1) << 20;
// Longer than any name a person gives an object or a variable; the bound
// keeps an endless run of non-blank bytes from filling the memory.
constexpr std::size_t MaxLabelLength = std::size_t(1) << 16;
// Values collected ahead of a size the source cannot tell in advance: the
// vector grows only with values actually read.
constexpr std::size_t UnknownSizeReserve = std::size_t(1) << 16;

std::string LineText(std::uint64_t line) { return "line " + std::to_string(line); }

template <typename TError>
[[noreturn]] void Raise(TError error, std::string detail) {
  error.SetDetail(std::move(detail));
  throw error;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

// Blank lines and quoted lines before the header; the first quoted line is the
// title. Returns the header line, or an empty text when the file ends first
// (which the matrix-type check then refuses).
std::string ScanLeadingLines(TDataScanner& scanner, std::string& title, std::uint64_t& headerLine) {
  bool titleSeen = false;
  while (!scanner.AtEnd()) {
    headerLine = scanner.Line();
    const std::string text = scanner.NextLine(MaxLeadingBytes + 1);
    if (scanner.Consumed() > MaxLeadingBytes) {
      Raise(EDataRefused("Invalid matrix type. Must be \"1\""),
            "no header line in the first " + std::to_string(MaxLeadingBytes) + " bytes");
    }
    const std::string_view line = TrimControls(text);
    if (line.empty()) continue;
    if (!IsQuote(line.front())) return std::string(line);
    if (!titleSeen) {
      title = RemoveChar(line.front(), std::string(line));
      titleSeen = true;
    }
  }
  return std::string();
}

void ReadLabels(TDataScanner& scanner, TSize count, const char* kind,
                std::vector<std::string>& labels) {
  labels.clear();
  labels.reserve(std::min<std::size_t>(count, UnknownSizeReserve));
  for (TSize i = 1; i <= count; ++i) {
    const auto where = [&] {
      return std::string(kind) + " label " + std::to_string(i) + " of " + std::to_string(count);
    };
    if (!scanner.SkipToItem())
      Raise(EDataRefused("Not enough data in file"),
            LineText(scanner.Line()) + ": the file ends before " + where());
    const std::uint64_t line = scanner.Line();
    labels.push_back(scanner.NextLabel(MaxLabelLength));
    if (labels.back().size() == MaxLabelLength) {
      Raise(EDataRefused("Label too long in file"),
            LineText(line) + ": " + where() + " is longer than " + std::to_string(MaxLabelLength) +
                " characters");
    }
  }
}

// OBJ1, OBJ2, ... for a file without labels.
void MakeUpLabels(TSize count, const char* prefix, std::vector<std::string>& labels) {
  labels.clear();
  labels.reserve(count);
  for (TSize i = 1; i <= count; ++i) labels.push_back(prefix + std::to_string(i));
}

std::string ValuePlace(std::uint64_t k, TSize variableCount) {
  return "value " + std::to_string(k + 1) + " (object " + std::to_string(k / variableCount + 1) +
         ", variable " + std::to_string(k % variableCount + 1) + ")";
}

// The values, row after row, into `values`.
template <typename TStore>
void ReadValues(TDataScanner& scanner, TSize valueCount, TSize variableCount, TStore store) {
  for (TSize k = 0; k < valueCount; ++k) {
    if (!scanner.SkipToItem()) {
      Raise(EDataRefused("Not enough data in file"),
            LineText(scanner.Line()) + ": the file ends before " + ValuePlace(k, variableCount) +
                " of " + std::to_string(valueCount));
    }
    const std::uint64_t line = scanner.Line();
    const std::string& run = scanner.NextValueRun();
    // A longer run is refused rather than cut: its remainder would be read as
    // the next value and shift every later value silently.
    if (run.size() > TDataScanner::MaxValueLength) {
      Raise(EConvertError("Invalid numeric input"),
            LineText(line) + ": " + ValuePlace(k, variableCount) + " is longer than " +
                std::to_string(TDataScanner::MaxValueLength) + " characters");
    }
    try {
      store(k, ParseDecimalValue(run));
    } catch (Exception& error) {
      error.SetDetail(LineText(line) + ": " + ValuePlace(k, variableCount));
      throw;
    }
  }
}

void ParseFrom(TByteSource& source, TDataMatrix& data) {
  TDataScanner scanner(source);
  TDataMatrix read;
  read.title = data.title;  // a file without a quoted line keeps the previous title

  std::uint64_t headerLineNumber = 0;
  const std::string headerLine = ScanLeadingLines(scanner, read.title, headerLineNumber);
  TDataHeader header;
  try {
    header = ParseHeaderLine(headerLine);
    read.valueCount = CheckDeclaredSize(header, scanner.BytesLeft());
  } catch (Exception& error) {
    error.SetDetail(headerLine.empty()
                        ? "no header line"
                        : LineText(headerLineNumber) + ": " + headerLine.substr(0, 80));
    throw;
  }
  read.objectCount = header.objectCount;
  read.variableCount = header.variableCount;

  if (header.objectLabels) ReadLabels(scanner, read.objectCount, "object", read.objectLabels);
  if (header.variableLabels)
    ReadLabels(scanner, read.variableCount, "variable", read.variableLabels);

  const TSize p = read.variableCount;
  if (scanner.BytesLeft()) {
    // CheckDeclaredSize has made sure the file can hold them.
    read.values = TFloatVector(read.valueCount);
    double* values = read.values.Data();
    ReadValues(scanner, read.valueCount, p, [values](TSize k, double x) { values[k] = x; });
  } else {
    // A pipe or a device may declare more than it delivers: memory grows only
    // with the values that arrive.
    std::vector<double> values;
    values.reserve(std::min<std::size_t>(read.valueCount, UnknownSizeReserve));
    ReadValues(scanner, read.valueCount, p, [&values](TSize, double x) { values.push_back(x); });
    read.values = TFloatVector(read.valueCount);
    std::copy(values.begin(), values.end(), read.values.Data());
  }
  // Made up only once the values are there: a pipe that declares billions of
  // objects and ends early costs nothing for labels it never needed.
  if (!header.objectLabels) MakeUpLabels(read.objectCount, "OBJ", read.objectLabels);
  if (!header.variableLabels) MakeUpLabels(read.variableCount, "VAR", read.variableLabels);
  data = std::move(read);
}

}  // namespace

void ParseDataMatrix(std::string_view bytes, TDataMatrix& data) {
  TMemorySource source(bytes.substr(0, bytes.find('\x1A')));
  ParseFrom(source, data);
}

void ReadDataFile(const std::string& path, TDataMatrix& data) {
  try {
    TFileSource source(path);
    ParseFrom(source, data);
  } catch (Exception& error) {
    // The message stays the program's own; the file and the place go beside it.
    error.SetDetail(error.Detail().empty() ? path : path + ": " + error.Detail());
    throw;
  }
}

std::string InformationLine(const TDataMatrix& data) {
  return std::to_string(data.objectCount) + " objects, " + std::to_string(data.variableCount) +
         " descriptors";
}

}  // namespace talvex
