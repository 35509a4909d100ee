// Supplementary objects and variables taken from the data as read.
#include "supplementary/supplementary_split.h"

#include <algorithm>

#include "base/file_name_case.h"
#include "supplementary/supplementary_refusal.h"

namespace talvex {

namespace {

bool SameName(const std::string& a, const std::string& b) { return AsciiLower(a) == AsciiLower(b); }

std::string Quoted(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "\"" : ", \"") + name + "\"";
  return text;
}

// The text of each object in `column`, and the extra column's index
// (data.extraColumns.size() for the group or the labels); null without it.
const std::vector<std::string>* FindPickColumn(const TDataMatrix& data, const std::string& column,
                                               const std::string& labelsColumn,
                                               std::size_t& extraIndex) {
  extraIndex = data.extraColumns.size();
  for (std::size_t c = 0; c < data.extraColumns.size(); ++c) {
    if (data.extraColumns[c].name == column) extraIndex = c;
  }
  if (extraIndex < data.extraColumns.size()) return &data.extraColumns[extraIndex].cells;
  if (!data.groups.empty() &&
      ((!data.groupName.empty() && SameName(column, data.groupName)) || SameName(column, "group")))
    return &data.groups;
  if ((!labelsColumn.empty() && SameName(column, labelsColumn)) || SameName(column, "label") ||
      SameName(column, "labels"))
    return &data.objectLabels;
  for (std::size_t c = 0; c < data.extraColumns.size(); ++c) {
    if (SameName(data.extraColumns[c].name, column)) {
      extraIndex = c;
      return &data.extraColumns[c].cells;
    }
  }
  return nullptr;
}

// The same for the pick, refused without it.
const std::vector<std::string>& PickColumn(const TDataMatrix& data,
                                           const TSupplementaryRowPick& pick,
                                           const std::string& labelsColumn,
                                           std::size_t& extraIndex) {
  if (const auto* texts = FindPickColumn(data, pick.column, labelsColumn, extraIndex))
    return *texts;
  std::vector<std::string> there{"label"};
  if (!labelsColumn.empty()) there.push_back(labelsColumn);
  if (!data.groups.empty()) there.push_back(data.groupName.empty() ? "group" : data.groupName);
  for (const TExtraColumn& extra : data.extraColumns) there.push_back(extra.name);
  RefuseSupplementary("No such column", "rows picked by column \"" + pick.column +
                                            "\"; rows can be picked by " + Quoted(there));
}

template <typename T>
std::vector<T> Keep(const std::vector<T>& all, const std::vector<char>& picked, bool want) {
  std::vector<T> kept;
  for (std::size_t i = 0; i < all.size(); ++i)
    if (bool(picked[i]) == want) kept.push_back(all[i]);
  return kept;
}

}  // namespace

const std::vector<std::string>* PickColumnTexts(const TDataMatrix& data, const std::string& column,
                                                const std::string& labelsColumn) {
  std::size_t extraIndex = 0;
  return FindPickColumn(data, column, labelsColumn, extraIndex);
}

TSupplementaryData SplitSupplementary(TDataMatrix& data, const TSupplementaryRowPick& pick,
                                      const std::string& labelsColumn) {
  const TSize n = data.objectCount, p = data.variableCount;
  std::vector<char> picked(n, 0);
  std::size_t pickExtra = data.extraColumns.size();
  if (!pick.column.empty()) {
    const std::vector<std::string>& texts = PickColumn(data, pick, labelsColumn, pickExtra);
    for (const std::string& value : pick.values) {
      bool found = false;
      for (TSize i = 0; i < n; ++i) {
        if (i < texts.size() && texts[i] == value) picked[i] = 1, found = true;
      }
      if (!found)
        RefuseSupplementary("No object has that value",
                            "column \"" + pick.column + "\": \"" + value + "\"");
    }
  }
  const TSize m = TSize(std::count(picked.begin(), picked.end(), 1));
  // The active data's own size is the run's to judge; only a pick can take
  // too many of them.
  if (m > 0 && m == n)
    RefuseSupplementary("All objects are supplementary", "column \"" + pick.column +
                                                             "\" picks all " + std::to_string(n) +
                                                             " objects; the axes need active ones");
  if (m > 0 && n - m < 2)
    RefuseSupplementary("Fewer than two active objects",
                        "column \"" + pick.column + "\" leaves " + std::to_string(n - m) + " of " +
                            std::to_string(n) + " objects active; the analysis needs two");

  // Imputation fills the active objects' cells from the axes they make; a
  // supplementary object takes no part in them, so its cells cannot be filled.
  const bool masked = data.HasMissing();
  for (TSize i = 0; masked && i < n; ++i) {
    for (TSize j = 0; picked[i] && j < p; ++j) {
      if (data.missing[std::size_t(i) * p + j] == 0) continue;
      RefuseSupplementary(
          "Missing value in a supplementary object",
          "object " + std::to_string(i + 1) +
              (i < data.objectLabels.size() ? " \"" + data.objectLabels[i] + "\"" : "") +
              ", variable " +
              (j < data.variableLabels.size() ? "\"" + data.variableLabels[j] + "\""
                                              : std::to_string(j + 1)) +
              ": only the active objects' missing values are imputed");
    }
  }

  TSupplementaryData supplementary;
  TSupplementaryObjects& objects = supplementary.objects;
  std::vector<double> active;
  active.reserve(std::size_t(n - m) * p);
  std::vector<std::uint8_t> activeMissing;
  if (masked) activeMissing.reserve(std::size_t(n - m) * p);
  for (TSize i = 0; i < n; ++i) {
    const double* row = data.values.Data() + std::size_t(i) * p;
    if (masked && !picked[i]) {
      const auto flags = data.missing.begin() + std::ptrdiff_t(std::size_t(i) * p);
      activeMissing.insert(activeMissing.end(), flags, flags + std::ptrdiff_t(p));
    }
    if (picked[i]) {
      objects.labels.push_back(i < data.objectLabels.size() ? data.objectLabels[i]
                                                            : "OBJ" + std::to_string(i + 1));
      objects.values.insert(objects.values.end(), row, row + p);
      if (!data.groups.empty()) objects.groups.push_back(data.groups[i]);
      objects.places.push_back("object " + std::to_string(i + 1) + " of the data");
    } else {
      active.insert(active.end(), row, row + p);
    }
  }
  std::vector<const TExtraColumn*> numeric;
  for (std::size_t c = 0; c < data.extraColumns.size(); ++c) {
    const TExtraColumn& extra = data.extraColumns[c];
    if (c == pickExtra && pick.columnOnlyForPicking) continue;
    if (extra.numeric) {
      supplementary.variables.labels.push_back(extra.name);
      numeric.push_back(&extra);
    } else {
      supplementary.qualitative.push_back(
          {extra.name, Keep(extra.cells, picked, false), Keep(extra.cells, picked, true)});
    }
  }
  supplementary.variables.values.reserve(std::size_t(n - m) * numeric.size());
  for (TSize i = 0; i < n; ++i) {
    if (picked[i]) continue;
    for (const TExtraColumn* extra : numeric)
      supplementary.variables.values.push_back(extra->numbers[i]);
  }

  // Nothing has failed: the data keep their active objects only.
  if (m > 0) {
    TFloatVector values(std::size_t(n - m) * p);
    std::copy(active.begin(), active.end(), values.Data());
    values.Extend(TSize(active.size()));
    data.values = std::move(values);
    if (masked) data.missing = std::move(activeMissing);
    data.objectLabels = Keep(data.objectLabels, picked, false);
    if (!data.groups.empty()) data.groups = Keep(data.groups, picked, false);
    data.objectCount = n - m;
    data.valueCount = (n - m) * p;
  }
  data.extraColumns.clear();
  return supplementary;
}

void AddSupplementaryFile(TSupplementaryObjects& objects, const TDataMatrix& active,
                          const TDataMatrix& file, const std::string& fileName) {
  const TSize p = active.variableCount, fileP = file.variableCount;
  std::vector<TSize> columns(p);
  for (TSize j = 0; j < p; ++j) {
    const std::string& name = active.variableLabels[j];
    TSize found = fileP;
    for (TSize c = 0; c < fileP && found == fileP; ++c)
      if (file.variableLabels[c] == name) found = c;
    for (TSize c = 0; c < fileP && found == fileP; ++c)
      if (SameName(file.variableLabels[c], name)) found = c;
    if (found == fileP)
      RefuseSupplementary(
          "Supplementary file lacks a variable",
          fileName + ": no variable \"" + name + "\"; it has " + Quoted(file.variableLabels));
    columns[j] = found;
  }
  const std::size_t before = objects.labels.size();
  const bool groups = !active.groups.empty() && (!file.groups.empty() || !objects.groups.empty());
  if (groups) objects.groups.resize(before);
  for (TSize i = 0; i < file.objectCount; ++i) {
    objects.labels.push_back(i < file.objectLabels.size() ? file.objectLabels[i]
                                                          : "OBJ" + std::to_string(i + 1));
    for (TSize j = 0; j < p; ++j)
      objects.values.push_back(file.values.Data()[std::size_t(i) * fileP + columns[j]]);
    if (groups) objects.groups.push_back(i < file.groups.size() ? file.groups[i] : std::string());
    objects.places.push_back(fileName + ", object " + std::to_string(i + 1));
  }
}

}  // namespace talvex
