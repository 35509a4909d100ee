// The ods reader: content.xml streamed once; every table's name is noted,
// the chosen table's rows and cells go into the grid. Repeated empty cells
// and rows (a sheet ends with a million of them) are counted, never made.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <utility>

#include "input/data_refused.h"
#include "tables/sheet_grid_builder.h"
#include "tables/workbook_sheet.h"
#include "tables/xml_stream.h"
#include "tables/zip_container.h"

namespace talvex {

namespace {

std::uint64_t Repeat(const char* text) {
  if (text == nullptr) return 1;
  std::uint64_t number = 0;
  const std::string_view view(text);
  const auto result = std::from_chars(view.data(), view.data() + view.size(), number);
  if (result.ec != std::errc() || number == 0) return 1;
  return number;
}

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) {
  return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

class TContentHandler : public TXmlHandler {
 public:
  explicit TContentHandler(std::string request) : request_(std::move(request)) {}

  void StartElement(std::string_view name, const char** attributes) override {
    if (name == "table" && tableDepth_ == 0) {
      const char* tableName = FindAttribute(attributes, "name");
      names.emplace_back(tableName != nullptr ? tableName : "");
      // A sheet named as asked wins over the one at the position asked,
      // which may come first: that one is read, and dropped for this.
      const bool named = !request_.empty() && request_[0] != '#' && names.back() == request_;
      reading_ =
          (named && !byName_) || (!chosen_ && ChooseSheet(names, request_) == names.size() - 1);
      if (reading_) {
        if (chosen_) builder_.Clear();
        chosen_ = true;
        byName_ = named;
        chosenName = names.back();
      }
      row_ = 0;
    }
    if (name == "table") ++tableDepth_;
    if (!reading_ || tableDepth_ != 1) return;
    if (name == "table-row") {
      rowRepeat_ = Repeat(FindAttribute(attributes, "number-rows-repeated"));
      column_ = 1;
      builder_.StartRow(SaturatingAdd(row_, 1));
    } else if (name == "table-cell" || name == "covered-table-cell") {
      cellRepeat_ = Repeat(FindAttribute(attributes, "number-columns-repeated"));
      text_.clear();
      value_.clear();
      paragraphs_ = 0;
      const char* type = FindAttribute(attributes, "value-type");
      const std::string_view valueType = type != nullptr ? type : "";
      const char* value = nullptr;
      if (valueType == "float" || valueType == "percentage" || valueType == "currency") {
        value = FindAttribute(attributes, "value");
      } else if (valueType == "date") {
        value = FindAttribute(attributes, "date-value");
      } else if (valueType == "time") {
        value = FindAttribute(attributes, "time-value");
      } else if (valueType == "boolean") {
        const char* b = FindAttribute(attributes, "boolean-value");
        value = b == nullptr ? nullptr : std::string_view(b) == "true" ? "TRUE" : "FALSE";
      }
      hasValue_ = value != nullptr;
      storedNumber_ = hasValue_ && (valueType == "float" || valueType == "percentage" ||
                                    valueType == "currency");
      if (hasValue_) value_ = value;
      inCell_ = name == "table-cell";
    } else if (inCell_ && annotation_ == 0) {
      if (name == "annotation") {
        ++annotation_;
      } else if (name == "p") {
        if (paragraphs_++ > 0) Append("\n");
        ++paragraph_;
      } else if (paragraph_ > 0 && name == "s") {
        Append(std::string(std::min<std::uint64_t>(Repeat(FindAttribute(attributes, "c")), 1024),
                           ' '));
      } else if (paragraph_ > 0 && name == "tab") {
        Append("\t");
      } else if (paragraph_ > 0 && name == "line-break") {
        Append("\n");
      }
    } else if (name == "annotation") {
      ++annotation_;
    }
  }

  void EndElement(std::string_view name) override {
    if (name == "table") {
      if (--tableDepth_ == 0) reading_ = false;
      return;
    }
    if (!reading_ || tableDepth_ != 1) return;
    if (name == "annotation") {
      if (annotation_ > 0) --annotation_;
    } else if (name == "p") {
      if (paragraph_ > 0) --paragraph_;
    } else if (name == "table-cell" || name == "covered-table-cell") {
      const std::string& text = hasValue_ ? value_ : text_;
      if (!text.empty()) {
        TCellRef cell = builder_.Keep(text, column_);
        cell.storedNumber = storedNumber_ ? 1 : 0;
        builder_.Put(column_, cell, cellRepeat_);
      }
      column_ = SaturatingAdd(column_, cellRepeat_);
      inCell_ = false;
    } else if (name == "table-row") {
      builder_.EndRow(rowRepeat_);
      row_ = SaturatingAdd(row_, rowRepeat_);
    }
  }

  void Characters(std::string_view text) override {
    if (reading_ && inCell_ && paragraph_ > 0 && annotation_ == 0) Append(text);
  }

  TCellGrid Take() { return builder_.Take(); }

  // A cell's text grows under the same cap as any cell, checked as it grows.
  void Append(std::string_view text) {
    if (text_.size() + text.size() > TCellGrid::MaxCellBytes) {
      EDataRefused error("Cell text too long");
      error.SetDetail("content.xml, row " + std::to_string(SaturatingAdd(row_, 1)) + ", column " +
                      std::to_string(column_) + ": more than " +
                      std::to_string(TCellGrid::MaxCellBytes) + " bytes");
      throw error;
    }
    text_.append(text);
  }
  bool Chosen() const { return chosen_; }

  std::vector<std::string> names;
  std::string chosenName;

 private:
  std::string request_;
  TSheetGridBuilder builder_;
  bool chosen_ = false;
  bool byName_ = false;
  bool reading_ = false;
  int tableDepth_ = 0;
  std::uint64_t row_ = 0;
  std::uint64_t rowRepeat_ = 1;
  std::uint64_t column_ = 1;
  std::uint64_t cellRepeat_ = 1;
  std::string text_;
  std::string value_;
  bool hasValue_ = false;
  bool storedNumber_ = false;
  bool inCell_ = false;
  int paragraphs_ = 0;
  int paragraph_ = 0;
  int annotation_ = 0;
};

// The manifest lists how each part is stored; an encrypted part has
// encryption data, and its bytes are no XML.
class TManifestHandler : public TXmlHandler {
 public:
  void StartElement(std::string_view name, const char**) override {
    encrypted = encrypted || name == "encryption-data";
  }
  void EndElement(std::string_view) override {}
  void Characters(std::string_view) override {}
  bool encrypted = false;
};

}  // namespace

TWorkbookSheet ReadOdsSheet(std::string_view bytes, const std::string& request) {
  TZipContainer zip(bytes);
  if (zip.Has("META-INF/manifest.xml")) {
    TManifestHandler manifest;
    ParseXmlMember(zip, "META-INF/manifest.xml", manifest);
    if (manifest.encrypted) {
      EDataRefused error("Encrypted workbook");
      error.SetDetail("the workbook is protected by a password; save it without one");
      throw error;
    }
  }
  if (!zip.Has("content.xml")) {
    EDataRefused error("Damaged workbook");
    error.SetDetail("content.xml is missing");
    throw error;
  }
  TContentHandler content(request);
  ParseXmlMember(zip, "content.xml", content);
  if (!content.Chosen()) {
    std::string there;
    for (const std::string& name : content.names)
      there += (there.empty() ? "\"" : ", \"") + name + "\"";
    EDataRefused error("No such sheet");
    error.SetDetail("sheet \"" + request + "\"; the workbook has " +
                    (there.empty() ? std::string("no sheets") : there));
    throw error;
  }
  TWorkbookSheet result;
  result.sheetNames = std::move(content.names);
  result.grid = content.Take();
  result.sheet = std::move(content.chosenName);
  return result;
}

}  // namespace talvex
