// Workbooks made in memory for the tests: the smallest xlsx and ods
// packages the readers accept, with the sheets' XML given, so that hostile
// variants (long texts, repeats, deep nesting, odd rows) are one string away.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "export/zip_archive.h"

namespace talvex::testing {

/// An xlsx package of sheets (name, the <sheetData> content), with the
/// shared strings given (the <sst> content, or none).
inline std::string XlsxBytes(const std::vector<std::pair<std::string, std::string>>& sheets,
                             const std::string& sharedStrings = std::string()) {
  std::string workbook =
      "<?xml version=\"1.0\"?><workbook "
      "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>";
  std::string rels =
      "<?xml version=\"1.0\"?><Relationships "
      "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  std::vector<TZipEntry> entries;
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    const std::string id = "rId" + std::to_string(i + 1);
    const std::string part = "worksheets/sheet" + std::to_string(i + 1) + ".xml";
    workbook += "<sheet name=\"" + sheets[i].first + "\" sheetId=\"" + std::to_string(i + 1) +
                "\" r:id=\"" + id + "\"/>";
    rels += "<Relationship Id=\"" + id +
            "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
            "worksheet\" Target=\"" +
            part + "\"/>";
    entries.push_back({"xl/" + part,
                       "<?xml version=\"1.0\"?><worksheet "
                       "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                       "<sheetData>" +
                           sheets[i].second + "</sheetData></worksheet>"});
  }
  if (!sharedStrings.empty()) {
    rels +=
        "<Relationship Id=\"rIdS\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
        "sharedStrings\" Target=\"sharedStrings.xml\"/>";
    entries.push_back({"xl/sharedStrings.xml",
                       "<?xml version=\"1.0\"?><sst "
                       "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" +
                           sharedStrings + "</sst>"});
  }
  entries.push_back({"xl/workbook.xml", workbook + "</sheets></workbook>"});
  entries.push_back({"xl/_rels/workbook.xml.rels", rels + "</Relationships>"});
  return WriteZipArchive(entries);
}

/// An xlsx row of cells: numbers as numbers, anything else as inline text.
inline std::string XlsxRow(int row, const std::vector<std::string>& cells) {
  std::string xml = "<row r=\"" + std::to_string(row) + "\">";
  for (std::size_t c = 0; c < cells.size(); ++c) {
    const std::string reference = std::string(1, char('A' + c)) + std::to_string(row);
    const bool number =
        !cells[c].empty() && cells[c].find_first_not_of("0123456789.-") == std::string::npos;
    xml += number
               ? "<c r=\"" + reference + "\"><v>" + cells[c] + "</v></c>"
               : "<c r=\"" + reference + "\" t=\"inlineStr\"><is><t>" + cells[c] + "</t></is></c>";
  }
  return xml + "</row>";
}

/// An ods package whose content.xml body (inside <office:spreadsheet>) is
/// given; `manifest` replaces the plain manifest when not empty.
inline std::string OdsBytes(const std::string& spreadsheet,
                            const std::string& manifest = std::string()) {
  const std::string content =
      "<?xml version=\"1.0\"?><office:document-content "
      "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
      "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
      "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body>"
      "<office:spreadsheet>" +
      spreadsheet + "</office:spreadsheet></office:body></office:document-content>";
  const std::string plainManifest =
      "<?xml version=\"1.0\"?><manifest:manifest "
      "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
      "<manifest:file-entry manifest:full-path=\"content.xml\" "
      "manifest:media-type=\"text/xml\"/></manifest:manifest>";
  return WriteZipArchive({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                          {"META-INF/manifest.xml", manifest.empty() ? plainManifest : manifest},
                          {"content.xml", content}});
}

/// An ods table row: float cells for numbers, text cells otherwise.
inline std::string OdsRow(const std::vector<std::string>& cells) {
  std::string xml = "<table:table-row>";
  for (const std::string& cell : cells) {
    const bool number =
        !cell.empty() && cell.find_first_not_of("0123456789.-") == std::string::npos;
    xml += number ? "<table:table-cell office:value-type=\"float\" office:value=\"" + cell +
                        "\"><text:p>" + cell + "</text:p></table:table-cell>"
                  : "<table:table-cell office:value-type=\"string\"><text:p>" + cell +
                        "</text:p></table:table-cell>";
  }
  return xml + "</table:table-row>";
}

inline std::string OdsTable(const std::string& name, const std::string& rows) {
  return "<table:table table:name=\"" + name + "\">" + rows + "</table:table>";
}

}  // namespace talvex::testing
