// The diagnostics report's numbers and section titles, shared by its own
// sections and the supplementary items' section.
#pragma once

#include <cmath>
#include <string>

#include "analysis/listing_fields.h"
#include "analysis/report_listing.h"
#include "base/text_format.h"

namespace talvex {

/// x right-aligned in `width` with `decimals` decimals; "nan" and "inf" for
/// values that are not finite (never "-nan"). The listing's own field
/// formatting (as printf's "%*.*f" in the C locale, through integer
/// arithmetic where that is exact): a report of many thousand rows costs
/// about what the listing's tables cost.
inline std::string ReportNumber(double x, int decimals, int width = 10) {
  if (std::isinf(x)) return PadLeft(x > 0 ? "inf" : "-inf", ' ', width);
  std::string text;
  AppendFloatField(text, x, width, decimals);
  return text;
}

/// A section's title, underlined, and an empty line.
inline void ReportTitle(TReportListing& out, const std::string& title) {
  out.Append(title);
  out.Append(std::string(title.size(), '-'));
  out.AppendEmpty();
}

}  // namespace talvex
