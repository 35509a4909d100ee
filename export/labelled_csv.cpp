// Writing the labelled csv export.
#include "export/labelled_csv.h"

#include "export/atomic_file.h"
#include "export/csv_text.h"
#include "export/scientific_text.h"

namespace talvex {

void ExportLabelledCsv(const std::string& path, const TFloatMatrix& matrix, TSize rowCount,
                       TSize columnCount, const std::vector<std::string>& rowLabels,
                       const std::string& labelHeading, const std::vector<std::string>* groups) {
  if (groups != nullptr && groups->size() != rowCount) groups = nullptr;
  std::string text = CsvText(labelHeading);
  if (groups != nullptr) text += ",Group";
  for (TSize j = 1; j <= columnCount; ++j) text += ",Axis" + std::to_string(j);
  text += "\r\n";
  for (TSize i = 1; i <= rowCount; ++i) {
    text += CsvText(i - 1 < rowLabels.size() ? rowLabels[i - 1] : std::string());
    if (groups != nullptr) text += "," + CsvText((*groups)[i - 1]);
    for (TSize j = 1; j <= columnCount; ++j) text += "," + ScientificText(matrix.GetValue(i, j));
    text += "\r\n";
  }
  WriteFileAtomically(path, text);
}

}  // namespace talvex
