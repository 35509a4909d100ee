// The xlsx table writer; see xlsx_table.h.
#include "export/xlsx_table.h"

#include <locale.h>
#include <xlsxwriter.h>

#include <cassert>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <system_error>

#include "export/atomic_file.h"
#include "export/windows_1252.h"
#include "export/zip_archive.h"
#include "numeric/exception.h"
#include "numeric/text_format.h"

namespace talvex {
namespace {

constexpr const char* SheetMember = "xl/worksheets/sheet1.xml";

// The library formats numbers with the C library, which follows the
// thread's locale; "C" keeps "." as the decimal point.
class TClassicLocale {
 public:
  TClassicLocale() : classic_(::newlocale(LC_ALL_MASK, "C", nullptr)) {
    if (classic_ != nullptr) previous_ = ::uselocale(classic_);
  }
  ~TClassicLocale() {
    if (classic_ == nullptr) return;
    ::uselocale(previous_);
    ::freelocale(classic_);
  }
  TClassicLocale(const TClassicLocale&) = delete;
  TClassicLocale& operator=(const TClassicLocale&) = delete;

 private:
  locale_t classic_;
  locale_t previous_ = nullptr;
};

struct TWorkbookCloser {
  void operator()(lxw_workbook* workbook) const { lxw_workbook_free(workbook); }
};

// Labels come from data files in 8-bit text or UTF-8; the workbook wants UTF-8.
std::string Utf8Text(std::string_view s) {
  return IsValidUtf8(s) ? std::string(s) : Utf8FromWindows1252(s);
}

const char* NotFiniteText(double x) { return std::isnan(x) ? "Nan" : x < 0 ? "-Inf" : "+Inf"; }

[[noreturn]] void FailWrite(const std::string& path, const std::string& reason) {
  throw EInOutError("Cannot write file " + path + ": " + reason);
}

void Check(lxw_error error, const std::string& path) {
  if (error != LXW_NO_ERROR) FailWrite(path, lxw_strerror(error));
}

// Replaces the text of every number cell, in sheet order (row after row),
// by the shortest text that reads back as the same double.
std::string WithExactNumbers(const std::string& sheet, const std::vector<double>& numbers,
                             const std::string& path) {
  std::string out;
  out.reserve(sheet.size() + numbers.size() * 2);
  std::size_t next = 0;    // numbers used
  std::size_t copied = 0;  // sheet text already in `out`
  std::size_t from = 0;
  for (std::size_t cell = sheet.find("<c ", from); cell != std::string::npos;
       cell = sheet.find("<c ", from)) {
    const std::size_t tagEnd = sheet.find('>', cell);
    if (tagEnd == std::string::npos) break;
    const std::string_view tag(sheet.data() + cell, tagEnd - cell);
    from = tagEnd + 1;
    if (tag.find(" t=") != std::string_view::npos || tag.back() == '/') continue;
    if (sheet.compare(from, 3, "<v>") != 0) continue;
    const std::size_t valueStart = from + 3;
    const std::size_t valueEnd = sheet.find("</v>", valueStart);
    if (valueEnd == std::string::npos || next == numbers.size()) {
      FailWrite(path, "unexpected worksheet layout");
    }

    // The library's text must be the same number to its 16 digits, or the
    // cells are not where they are expected.
    const double x = numbers[next++];
    double written = 0;
    const auto parsed =
        std::from_chars(sheet.data() + valueStart, sheet.data() + valueEnd, written);
    // 16 digits of the largest doubles overflow, of the smallest underflow.
    const bool extreme = parsed.ec == std::errc::result_out_of_range &&
                         (std::fabs(x) > 1e308 || std::fabs(x) < 1e-307);
    const bool same = parsed.ec == std::errc() && std::fabs(written - x) <= 1e-15 * std::fabs(x);
    if (parsed.ptr != sheet.data() + valueEnd || !(same || extreme)) {
      FailWrite(path, "unexpected worksheet layout");
    }
    char exact[32];
    const auto exactEnd = std::to_chars(exact, exact + sizeof exact, x).ptr;
    out.append(sheet, copied, valueStart - copied);
    out.append(exact, exactEnd);
    copied = valueEnd;
    from = valueEnd;
  }
  if (next != numbers.size()) FailWrite(path, "unexpected worksheet layout");
  out.append(sheet, copied);
  return out;
}

std::string ReadWholeFile(const std::string& file, const std::string& path) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (!in) FailWrite(path, "cannot read back the workbook");
  return std::move(bytes).str();
}

}  // namespace

void CheckXlsxTableFits(std::size_t rowCount, std::size_t columnCount) {
  if (rowCount + 1 > XlsxMaxRows || columnCount + 1 > XlsxMaxColumns) {
    throw Exception("Too many rows or columns for an xlsx sheet (at most " +
                    std::to_string(XlsxMaxRows - 1) + " rows and " +
                    std::to_string(XlsxMaxColumns - 1) + " columns of values)");
  }
}

void WriteXlsxTable(const std::string& path, const TXlsxTable& table) {
  const std::size_t columnCount = table.columnHeadings.size();
  assert(table.values.size() == table.rowCount * columnCount);
  CheckXlsxTableFits(table.rowCount, columnCount);

  TAtomicFile file(path);
  std::vector<double> numbers;
  {
    const TClassicLocale classic;
    std::unique_ptr<lxw_workbook, TWorkbookCloser> workbook(workbook_new(file.TempPath().c_str()));
    if (!workbook) FailWrite(path, "the workbook cannot be created");
    lxw_worksheet* sheet = workbook_add_worksheet(workbook.get(), nullptr);
    if (sheet == nullptr) FailWrite(path, "the worksheet cannot be created");

    Check(worksheet_write_string(sheet, 0, 0, Utf8Text(table.cornerHeading).c_str(), nullptr),
          path);
    for (std::size_t j = 0; j < columnCount; ++j) {
      Check(worksheet_write_string(sheet, 0, lxw_col_t(j + 1),
                                   Utf8Text(table.columnHeadings[j]).c_str(), nullptr),
            path);
    }
    numbers.reserve(table.values.size());
    for (std::size_t i = 0; i < table.rowCount; ++i) {
      const auto row = lxw_row_t(i + 1);
      if (i < table.rowLabels.size() && !table.rowLabels[i].empty()) {
        Check(worksheet_write_string(sheet, row, 0, Utf8Text(table.rowLabels[i]).c_str(), nullptr),
              path);
      }
      for (std::size_t j = 0; j < columnCount; ++j) {
        const double x = table.values[i * columnCount + j];
        const auto col = lxw_col_t(j + 1);
        if (std::isfinite(x)) {
          Check(worksheet_write_number(sheet, row, col, x, nullptr), path);
          numbers.push_back(x);
        } else {
          Check(worksheet_write_string(sheet, row, col, NotFiniteText(x), nullptr), path);
        }
      }
    }
    // workbook_close writes the file and frees the workbook, even on failure.
    errno = 0;
    const lxw_error closed = workbook_close(workbook.release());
    const int systemError = errno;
    // For failures of the file system the system's reason says more than
    // the library's text.
    if (closed != LXW_NO_ERROR && systemError != 0 &&
        (closed == LXW_ERROR_CREATING_XLSX_FILE || closed == LXW_ERROR_CREATING_TMPFILE ||
         closed == LXW_ERROR_ZIP_FILE_OPERATION)) {
      FailWrite(path, std::error_code(systemError, std::generic_category()).message());
    }
    Check(closed, path);
  }

  std::vector<TZipEntry> members = ReadZipArchive(ReadWholeFile(file.TempPath(), path));
  bool found = false;
  for (TZipEntry& member : members) {
    if (member.name != SheetMember) continue;
    member.data = WithExactNumbers(member.data, numbers, path);
    found = true;
  }
  if (!found) FailWrite(path, "unexpected workbook layout");
  file.Restart();
  file.Write(WriteZipArchive(members));
  file.Commit();
}

}  // namespace talvex
