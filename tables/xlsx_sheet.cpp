// The xlsx reader: the package's relationships lead to the workbook, its
// sheets and the shared strings; the chosen sheet is streamed cell by cell.
// Relationship targets may be relative to the part's folder (Excel,
// LibreOffice) or absolute within the package (openpyxl, pandas).
#include <charconv>
#include <map>
#include <utility>
#include <vector>

#include "input/data_refused.h"
#include "tables/sheet_grid_builder.h"
#include "tables/workbook_sheet.h"
#include "tables/xml_stream.h"
#include "tables/zip_container.h"

namespace talvex {

namespace {

// Shared strings a workbook may list; each costs memory before any cell
// uses it, so the count is capped like the cells.
constexpr std::size_t MaxSharedStrings = MaxSheetCells;

[[noreturn]] void Damaged(std::string detail) {
  EDataRefused error("Damaged workbook");
  error.SetDetail(std::move(detail));
  throw error;
}

std::string Folder(const std::string& part) {
  const std::size_t slash = part.rfind('/');
  return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

// The part a relationship target names, from the folder of the part whose
// relationships list it.
std::string ResolveTarget(const std::string& folder, const std::string& target) {
  std::string path = !target.empty() && target[0] == '/' ? target.substr(1) : folder + target;
  std::vector<std::string> segments;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string segment = path.substr(start, end - start);
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
    start = end + 1;
  }
  std::string resolved;
  for (const std::string& segment : segments) resolved += (resolved.empty() ? "" : "/") + segment;
  return resolved;
}

std::string RelationshipsOf(const std::string& part) {
  const std::size_t slash = part.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : part.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? part : part.substr(slash + 1);
  return folder + "_rels/" + name + ".rels";
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

struct TRelationship {
  std::string type;
  std::string target;  // resolved
};

class TRelationshipsHandler : public TXmlHandler {
 public:
  explicit TRelationshipsHandler(std::string folder) : folder_(std::move(folder)) {}
  void StartElement(std::string_view name, const char** attributes) override {
    if (name != "Relationship") return;
    const char* id = FindAttribute(attributes, "Id");
    const char* type = FindAttribute(attributes, "Type");
    const char* target = FindAttribute(attributes, "Target");
    const char* mode = FindAttribute(attributes, "TargetMode");
    if (id == nullptr || target == nullptr ||
        (mode != nullptr && std::string_view(mode) == "External"))
      return;
    byId[id] = {type != nullptr ? type : "", ResolveTarget(folder_, target)};
  }
  void EndElement(std::string_view) override {}
  void Characters(std::string_view) override {}

  std::map<std::string, TRelationship> byId;

 private:
  std::string folder_;
};

std::map<std::string, TRelationship> ReadRelationships(TZipContainer& zip,
                                                       const std::string& part) {
  TRelationshipsHandler handler(Folder(part));
  const std::string rels = RelationshipsOf(part);
  if (zip.Has(rels)) ParseXmlMember(zip, rels, handler);
  return std::move(handler.byId);
}

class TWorkbookHandler : public TXmlHandler {
 public:
  void StartElement(std::string_view name, const char** attributes) override {
    if (name != "sheet") return;
    const char* sheetName = FindAttribute(attributes, "name");
    const char* id = FindAttribute(attributes, "id");
    names.emplace_back(sheetName != nullptr ? sheetName : "");
    ids.emplace_back(id != nullptr ? id : "");
  }
  void EndElement(std::string_view) override {}
  void Characters(std::string_view) override {}

  std::vector<std::string> names;
  std::vector<std::string> ids;
};

// <si> items: the text of their <t> elements, leaving out phonetic runs,
// each kept once in the sheet's grid however many cells use it.
class TSharedStringsHandler : public TXmlHandler {
 public:
  explicit TSharedStringsHandler(TSheetGridBuilder& builder) : builder_(builder) {}
  void StartElement(std::string_view name, const char**) override {
    if (name == "si") {
      current_.clear();
    } else if (name == "t") {
      inText_ = phonetic_ == 0;
    } else if (name == "rPh") {
      ++phonetic_;
    }
  }
  void EndElement(std::string_view name) override {
    if (name == "si") {
      if (strings.size() >= MaxSharedStrings) {
        EDataRefused error("Sheet too large");
        error.SetDetail("more than " + std::to_string(MaxSharedStrings) + " shared strings");
        throw error;
      }
      strings.push_back(builder_.Keep(current_, 0));
      current_.clear();
    } else if (name == "t") {
      inText_ = false;
    } else if (name == "rPh" && phonetic_ > 0) {
      --phonetic_;
    }
  }
  void Characters(std::string_view text) override {
    if (!inText_) return;
    if (current_.size() + text.size() > TCellGrid::MaxCellBytes) {
      EDataRefused error("Cell text too long");
      error.SetDetail("shared string " + std::to_string(strings.size()) + ": more than " +
                      std::to_string(TCellGrid::MaxCellBytes) + " bytes");
      throw error;
    }
    current_.append(text);
  }

  std::vector<TCellRef> strings;

 private:
  TSheetGridBuilder& builder_;
  std::string current_;
  bool inText_ = false;
  int phonetic_ = 0;
};

// "BC12" -> column 55; 0 without letters. Letters beyond the cap give a
// column beyond it, which the grid refuses.
std::uint64_t ColumnOfReference(const char* reference) {
  std::uint64_t column = 0;
  for (const char* c = reference; *c != '\0'; ++c) {
    char letter = *c;
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    if (letter < 'A' || letter > 'Z') break;
    column = column * 26 + static_cast<std::uint64_t>(letter - 'A' + 1);
    if (column > MaxSheetColumns) return MaxSheetColumns + 1;
  }
  return column;
}

std::uint64_t WholeNumber(const char* text, std::uint64_t fallback) {
  if (text == nullptr) return fallback;
  std::uint64_t number = 0;
  const std::string_view view(text);
  const auto result = std::from_chars(view.data(), view.data() + view.size(), number);
  return result.ec == std::errc() && result.ptr == view.data() + view.size() ? number : fallback;
}

class TWorksheetHandler : public TXmlHandler {
 public:
  TWorksheetHandler(TSheetGridBuilder& builder, const std::vector<TCellRef>& shared,
                    std::string part)
      : builder_(builder), shared_(shared), part_(std::move(part)) {}

  void StartElement(std::string_view name, const char** attributes) override {
    if (name == "row") {
      const std::uint64_t row = WholeNumber(FindAttribute(attributes, "r"), 0);
      if (FindAttribute(attributes, "r") != nullptr && (row == 0 || row <= row_)) {
        Damaged(part_ + ": row \"" + FindAttribute(attributes, "r") + "\" after row " +
                std::to_string(row_) + " (rows are numbered from 1, in order)");
      }
      row_ = row != 0 ? row : row_ + 1;
      column_ = 0;
      builder_.StartRow(row_);
    } else if (name == "c") {
      const char* reference = FindAttribute(attributes, "r");
      const std::uint64_t column = reference != nullptr ? ColumnOfReference(reference) : 0;
      column_ = column != 0 ? column : column_ + 1;
      const char* type = FindAttribute(attributes, "t");
      type_ = type != nullptr ? type : "n";
      value_.clear();
      inCell_ = true;
    } else if (inCell_ && (name == "v" || name == "t")) {
      collect_ = true;
    }
  }
  void EndElement(std::string_view name) override {
    if (name == "c") {
      inCell_ = false;
      PutCell();
    } else if (name == "v" || name == "t") {
      collect_ = false;
    } else if (name == "row") {
      builder_.EndRow();
    }
  }
  void Characters(std::string_view text) override {
    if (!collect_) return;
    if (value_.size() + text.size() > TCellGrid::MaxCellBytes) {
      EDataRefused error("Cell text too long");
      error.SetDetail(part_ + ", row " + std::to_string(row_) + ", column " +
                      std::to_string(column_) + ": more than " +
                      std::to_string(TCellGrid::MaxCellBytes) + " bytes");
      throw error;
    }
    value_.append(text);
  }

 private:
  void PutCell() {
    if (type_ == "s") {
      const std::uint64_t index = WholeNumber(value_.c_str(), shared_.size());
      if (index >= shared_.size()) {
        Damaged(part_ + ", row " + std::to_string(row_) + ": shared string " + value_ +
                " does not exist");
      }
      if (shared_[index].size != 0) builder_.Put(column_, shared_[index]);
      return;
    }
    if (type_ == "e") return;  // #N/A, #DIV/0!: no value
    std::string_view text = value_;
    if (type_ == "b") text = value_ == "1" ? "TRUE" : value_ == "0" ? "FALSE" : text;
    if (text.empty()) return;
    TCellRef cell = builder_.Keep(text, column_);
    // A cell without a type, or of type "n", holds a number as written in
    // the file: with a point, whatever the locale.
    cell.storedNumber = type_ == "n" ? 1 : 0;
    builder_.Put(column_, cell);
  }

  TSheetGridBuilder& builder_;
  const std::vector<TCellRef>& shared_;
  std::string part_;
  std::uint64_t row_ = 0;
  std::uint64_t column_ = 0;
  std::string type_;
  std::string value_;
  bool inCell_ = false;
  bool collect_ = false;
};

}  // namespace

std::size_t ChooseSheet(const std::vector<std::string>& names, const std::string& request) {
  if (request.empty()) return names.empty() ? names.size() : 0;
  const bool position = request[0] == '#';
  if (!position) {
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (names[i] == request) return i;
    }
  }
  const std::uint64_t number = WholeNumber(request.c_str() + (position ? 1 : 0), 0);
  return number >= 1 && number <= names.size() ? static_cast<std::size_t>(number - 1)
                                               : names.size();
}

TWorkbookSheet ReadXlsxSheet(std::string_view bytes, const std::string& request) {
  TZipContainer zip(bytes);
  std::string workbookPart = "xl/workbook.xml";
  for (const auto& [id, relationship] : ReadRelationships(zip, "")) {
    if (EndsWith(relationship.type, "/officeDocument")) workbookPart = relationship.target;
  }
  if (!zip.Has(workbookPart)) Damaged(workbookPart + " is missing");

  TWorkbookHandler workbook;
  ParseXmlMember(zip, workbookPart, workbook);
  const auto relationships = ReadRelationships(zip, workbookPart);

  TWorkbookSheet result;
  result.sheetNames = workbook.names;
  const std::size_t chosen = ChooseSheet(workbook.names, request);
  if (chosen == workbook.names.size()) {
    std::string there;
    for (const std::string& name : workbook.names)
      there += (there.empty() ? "\"" : ", \"") + name + "\"";
    EDataRefused error("No such sheet");
    error.SetDetail("sheet \"" + request + "\"; the workbook has " +
                    (there.empty() ? std::string("no sheets") : there));
    throw error;
  }
  result.sheet = workbook.names[chosen];
  const auto sheetRelationship = relationships.find(workbook.ids[chosen]);
  if (sheetRelationship == relationships.end())
    Damaged(workbookPart + ": sheet \"" + result.sheet + "\" has no part");

  TSheetGridBuilder builder;
  TSharedStringsHandler shared(builder);
  for (const auto& [id, relationship] : relationships) {
    if (EndsWith(relationship.type, "/sharedStrings") && zip.Has(relationship.target))
      ParseXmlMember(zip, relationship.target, shared);
  }
  const std::string& sheetPart = sheetRelationship->second.target;
  TWorksheetHandler worksheet(builder, shared.strings, sheetPart);
  ParseXmlMember(zip, sheetPart, worksheet);
  result.grid = builder.Take();
  return result;
}

}  // namespace talvex
