// Record framing of the spreadsheet file; see dispatcher.h.
#include "export/dispatcher.h"

#include <cassert>

namespace talvex {

TData& TDispatcher::Add(std::unique_ptr<TData> record) {
  records_.push_back(std::move(record));
  return *records_.back();
}

void TDispatcher::SetStream(std::ostream* stream) noexcept {
  stream_ = stream;
  writer_.SetStream(stream);
}

void TDispatcher::WriteRecords() {
  assert(stream_ != nullptr);
  for (const auto& record : records_) {
    writer_.WriteWord(record->recordId);
    writer_.WriteWord(0);  // the length, known once the body is out
    const auto bodyStart = stream_->tellp();
    record->WriteBody(writer_);
    const std::streamoff length = stream_->tellp() - bodyStart;
    assert(length >= 0 && length <= 0xFFFF);
    stream_->seekp(-(length + 2), std::ios_base::cur);
    writer_.WriteWord(std::uint16_t(length));
    stream_->seekp(length, std::ios_base::cur);
  }
  writer_.WriteWord(endRecordId);
  writer_.WriteWord(0);
}

}  // namespace talvex
