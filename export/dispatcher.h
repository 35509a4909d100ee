// TDispatcher: the ordered list of records of a spreadsheet file and the
// framing that turns them into bytes (id, body length, body; then the
// closing record).
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <vector>

#include "export/biff_records.h"
#include "export/little_endian_writer.h"

namespace talvex {

class TDispatcher {
 public:
  TDispatcher() = default;
  TDispatcher(const TDispatcher&) = delete;
  TDispatcher& operator=(const TDispatcher&) = delete;

  /// Appends a record (insertion order is file order) and returns it.
  TData& Add(std::unique_ptr<TData> record);
  /// Releases every record.
  void Clear() noexcept { records_.clear(); }
  /// The stream WriteRecords writes to; it must be seekable, because each
  /// record's length is filled in after its body.
  void SetStream(std::ostream* stream) noexcept;
  /// Every record in list order, each as id, length, body; then the record
  /// endRecordId with an empty body.
  void WriteRecords();

  const std::vector<std::unique_ptr<TData>>& Records() const noexcept { return records_; }

  std::uint16_t endRecordId = 999;

 private:
  std::vector<std::unique_ptr<TData>> records_;
  TLittleEndianWriter writer_;
  std::ostream* stream_ = nullptr;
};

}  // namespace talvex
