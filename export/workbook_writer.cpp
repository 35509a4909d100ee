// The xlsx workbook writer; see workbook_writer.h.
#include "export/workbook_writer.h"

#include <cassert>
#include <charconv>
#include <cmath>

#include "base/eight_bit_text.h"
#include "base/exception.h"
#include "base/file_name_case.h"
#include "export/atomic_file.h"
#include "export/zip_archive.h"

namespace talvex {
namespace {

constexpr std::size_t MaxSheetNameLength = 31;
// Every part gets the same time stamp (1980-01-01 00:00, the earliest a zip
// can hold), so the same workbook always gives the same bytes.
constexpr std::uint16_t ZipTime = 0;
constexpr std::uint16_t ZipDate = 1 << 5 | 1;

constexpr const char* XmlDeclaration =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr const char* MainNamespace = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr const char* RelationshipsNamespace =
    "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr const char* RelationshipTypes =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr const char* ContentTypePrefix =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.";

// The code point starting at s[i] of valid UTF-8, and its length in bytes.
char32_t NextCodePoint(std::string_view s, std::size_t i, std::size_t& length) {
  const auto c = static_cast<unsigned char>(s[i]);
  length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
  char32_t code = length == 1 ? c : c & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) code = code << 6 | (s[i + k] & 0x3F);
  return code;
}

// XML 1.0 has no way to write most C0 controls nor U+FFFE, U+FFFF.
bool IsXmlCharacter(char32_t code) {
  return code >= 0x20 ? code != 0xFFFE && code != 0xFFFF
                      : code == '\t' || code == '\n' || code == '\r';
}

// Appends valid UTF-8 as XML character data (also fit for an attribute).
void AppendXmlText(std::string& out, std::string_view utf8) {
  for (std::size_t i = 0; i < utf8.size();) {
    std::size_t length = 0;
    const char32_t code = NextCodePoint(utf8, i, length);
    switch (code) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\r':  // a parser would turn a literal one into a line feed
        out += "&#13;";
        break;
      default:
        if (IsXmlCharacter(code)) {
          out.append(utf8, i, length);
        } else {
          out += "\xEF\xBF\xBD";  // U+FFFD
        }
    }
    i += length;
  }
}

std::string XmlText(std::string_view utf8) {
  std::string out;
  AppendXmlText(out, utf8);
  return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

const char* NotFiniteText(double x) { return std::isnan(x) ? "Nan" : x < 0 ? "-Inf" : "+Inf"; }

std::size_t CodePointCount(std::string_view utf8) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    std::size_t length = 0;
    NextCodePoint(utf8, i, length);
    i += length;
    ++count;
  }
  return count;
}

std::string SheetPart(std::size_t index) {
  return "xl/worksheets/sheet" + std::to_string(index + 1) + ".xml";
}

std::string Relationship(std::size_t id, const std::string& type, const std::string& target) {
  return "<Relationship Id=\"rId" + std::to_string(id) + "\" Type=\"" + RelationshipTypes + "/" +
         type + "\" Target=\"" + target + "\"/>";
}

std::string ContentTypes(std::size_t sheetCount) {
  std::string xml = XmlDeclaration;
  xml += "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">";
  xml +=
      "<Default Extension=\"rels\" "
      "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>";
  xml += "<Default Extension=\"xml\" ContentType=\"application/xml\"/>";
  const auto override = [&](const std::string& part, const char* type) {
    xml +=
        "<Override PartName=\"/" + part + "\" ContentType=\"" + ContentTypePrefix + type + "\"/>";
  };
  override("xl/workbook.xml", "sheet.main+xml");
  override("xl/styles.xml", "styles+xml");
  for (std::size_t k = 0; k < sheetCount; ++k) override(SheetPart(k), "worksheet+xml");
  xml += "</Types>";
  return xml;
}

std::string PackageRelationships() {
  return std::string(XmlDeclaration) + "<Relationships xmlns=\"" + RelationshipsNamespace + "\">" +
         Relationship(1, "officeDocument", "xl/workbook.xml") + "</Relationships>";
}

// Sheet k is rId(k+1); the style sheet comes after the sheets.
std::string WorkbookRelationships(std::size_t sheetCount) {
  std::string xml = XmlDeclaration;
  xml += std::string("<Relationships xmlns=\"") + RelationshipsNamespace + "\">";
  for (std::size_t k = 0; k < sheetCount; ++k) {
    xml += Relationship(k + 1, "worksheet", "worksheets/sheet" + std::to_string(k + 1) + ".xml");
  }
  xml += Relationship(sheetCount + 1, "styles", "styles.xml");
  xml += "</Relationships>";
  return xml;
}

std::string Workbook(const std::deque<TWorksheet>& sheets) {
  std::string xml = XmlDeclaration;
  xml += std::string("<workbook xmlns=\"") + MainNamespace + "\" xmlns:r=\"" + RelationshipTypes +
         "\"><sheets>";
  for (std::size_t k = 0; k < sheets.size(); ++k) {
    const std::string id = std::to_string(k + 1);
    xml += "<sheet name=\"" + XmlText(sheets[k].Name()) + "\" sheetId=\"" + id + "\" r:id=\"rId" +
           id + "\"/>";
  }
  xml += "</sheets></workbook>";
  return xml;
}

// One font, the two fills every reader expects, one border, one format:
// without a style sheet some readers warn and apply their own.
std::string Styles() {
  return std::string(XmlDeclaration) + "<styleSheet xmlns=\"" + MainNamespace +
         "\"><fonts count=\"1\"><font><sz val=\"11\"/></font></fonts>"
         "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
         "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
         "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
         "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
         "</cellStyleXfs><cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
         "borderId=\"0\" xfId=\"0\"/></cellXfs><cellStyles count=\"1\">"
         "<cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles></styleSheet>";
}

void CheckSheetName(const std::string& utf8, const std::deque<TWorksheet>& sheets) {
  const auto refuse = [&](const std::string& why) {
    throw Exception("Invalid sheet name \"" + utf8 + "\": " + why);
  };
  const std::size_t length = CodePointCount(utf8);
  if (length == 0 || length > MaxSheetNameLength) {
    refuse("a sheet name has 1 to " + std::to_string(MaxSheetNameLength) + " characters");
  }
  for (char c : utf8) {
    if (static_cast<unsigned char>(c) < 0x20 ||
        std::string_view(":\\/?*[]").find(c) != std::string_view::npos) {
      refuse("it may not contain control characters nor any of : \\ / ? * [ ]");
    }
  }
  if (utf8.front() == '\'' || utf8.back() == '\'') refuse("it may not begin or end with '");
  for (const TWorksheet& sheet : sheets) {
    // Sheet names compare without regard to case; ASCII folding suffices
    // for the names the program gives.
    if (AsciiLower(sheet.Name()) == AsciiLower(utf8)) refuse("another sheet has that name");
  }
}

}  // namespace

std::string XlsxCellName(std::size_t row, std::size_t column) {
  // Columns count A..Z, AA..ZZ, AAA..: base 26 with digits 1 to 26.
  std::string letters;
  for (std::size_t n = column + 1; n > 0; n = (n - 1) / 26) {
    letters.insert(letters.begin(), char('A' + (n - 1) % 26));
  }
  return letters + std::to_string(row + 1);
}

void TWorksheet::StartCell(std::size_t row, std::size_t column) {
  if (row >= XlsxMaxRows || column >= XlsxMaxColumns) {
    throw Exception("Cell " + std::to_string(row + 1) + ", " + std::to_string(column + 1) +
                    " lies beyond an xlsx sheet (at most " + std::to_string(XlsxMaxRows) +
                    " rows and " + std::to_string(XlsxMaxColumns) + " columns)");
  }
  if (!rowOpen_ || row != nextRow_ - 1) {
    assert(row >= nextRow_ && "cells are added row after row");
    if (rowOpen_) rows_ += "</row>";
    rows_ += "<row r=\"" + std::to_string(row + 1) + "\">";
    rowOpen_ = true;
    nextRow_ = row + 1;
    nextColumn_ = 0;
  }
  assert(column >= nextColumn_ && "cells of a row are added left to right");
  nextColumn_ = column + 1;
  if (column > lastColumn_) lastColumn_ = column;
  rows_ += "<c r=\"" + XlsxCellName(row, column) + "\"";
}

void TWorksheet::AddText(std::size_t row, std::size_t column, std::string_view text) {
  StartCell(row, column);
  const std::string utf8 = Utf8FromEightBit(text);
  // Without the marker a reader may drop blanks at either end.
  const bool keepBlanks = !utf8.empty() && (IsBlank(utf8.front()) || IsBlank(utf8.back()));
  rows_ +=
      keepBlanks ? " t=\"inlineStr\"><is><t xml:space=\"preserve\">" : " t=\"inlineStr\"><is><t>";
  AppendXmlText(rows_, utf8);
  rows_ += "</t></is></c>";
}

void TWorksheet::AddNumber(std::size_t row, std::size_t column, double value) {
  if (!std::isfinite(value)) {
    AddText(row, column, NotFiniteText(value));
    return;
  }
  StartCell(row, column);
  // The shortest text that reads back as the same double; never localised.
  char digits[32];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  rows_ += "><v>";
  rows_.append(digits, end);
  rows_ += "</v></c>";
}

std::string TWorksheet::Xml() const {
  std::string xml = XmlDeclaration;
  xml += std::string("<worksheet xmlns=\"") + MainNamespace + "\">";
  const std::string last = nextRow_ == 0 ? "A1" : XlsxCellName(nextRow_ - 1, lastColumn_);
  xml += "<dimension ref=\"A1" + (last == "A1" ? std::string() : ":" + last) + "\"/>";
  if (nextRow_ == 0) return xml + "<sheetData/></worksheet>";
  xml += "<sheetData>";
  xml += rows_;
  xml += "</row></sheetData></worksheet>";
  return xml;
}

TWorksheet& TWorkbookWriter::AddSheet(std::string name) {
  std::string utf8 = Utf8FromEightBit(name);
  CheckSheetName(utf8, sheets_);
  return sheets_.emplace_back(std::move(utf8));
}

std::string TWorkbookWriter::Bytes() const {
  assert(!sheets_.empty() && "a workbook has at least one sheet");
  std::vector<TZipEntry> parts;
  const auto add = [&](std::string name, std::string data) {
    parts.push_back(TZipEntry{std::move(name), std::move(data), ZipTime, ZipDate});
  };
  add("[Content_Types].xml", ContentTypes(sheets_.size()));
  add("_rels/.rels", PackageRelationships());
  add("xl/workbook.xml", Workbook(sheets_));
  add("xl/_rels/workbook.xml.rels", WorkbookRelationships(sheets_.size()));
  add("xl/styles.xml", Styles());
  for (std::size_t k = 0; k < sheets_.size(); ++k) add(SheetPart(k), sheets_[k].Xml());
  return WriteZipArchive(parts);
}

void TWorkbookWriter::Write(const std::string& path) const {
  const std::string bytes = Bytes();
  TAtomicFile file(path);
  file.Write(bytes);
  file.Commit();
}

}  // namespace talvex
