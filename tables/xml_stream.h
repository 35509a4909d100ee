// Streaming XML over expat for the workbook readers: element names and
// attributes reach the handler without their namespace prefix, since the
// files we read use their standard namespaces under varying prefixes.
#pragma once

#include <string>
#include <string_view>

#include "tables/zip_container.h"

namespace talvex {

class TXmlHandler {
 public:
  virtual ~TXmlHandler() = default;
  /// `attributes` is expat's list: name, value, name, value, ..., nullptr.
  virtual void StartElement(std::string_view name, const char** attributes) = 0;
  virtual void EndElement(std::string_view name) = 0;
  virtual void Characters(std::string_view text) = 0;
};

/// The value of the attribute whose name without prefix is `name`, or nullptr.
const char* FindAttribute(const char** attributes, std::string_view name);

/// Elements a workbook part may nest: its own nest about 10 deep.
constexpr int MaxXmlDepth = 64;

/// Parses the member of `zip` through `handler`. Raises EDataRefused
/// "Damaged workbook" for XML that is not well-formed, declares a document
/// type or nests deeper than MaxXmlDepth ("xl/worksheets/sheet1.xml, line 3:
/// not well-formed"), and whatever the container or the handler raise.
void ParseXmlMember(TZipContainer& zip, const std::string& member, TXmlHandler& handler);

}  // namespace talvex
