// The workbook container over libzip.
#include "tables/zip_container.h"

#include <zip.h>

#include <memory>
#include <vector>

#include "input/data_refused.h"

namespace talvex {

namespace {

constexpr std::size_t BlockSize = std::size_t(1) << 16;

[[noreturn]] void Refuse(const char* message, std::string detail) {
  EDataRefused error(message);
  error.SetDetail(std::move(detail));
  throw error;
}

struct TMemberCloser {
  void operator()(zip_file_t* file) const noexcept { zip_fclose(file); }
};

}  // namespace

TZipContainer::TZipContainer(std::string_view bytes) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
  if (source != nullptr) {
    archive_ = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (archive_ == nullptr) zip_source_free(source);
  }
  if (archive_ == nullptr) {
    const std::string reason = zip_error_strerror(&error);
    zip_error_fini(&error);
    const std::string_view start = bytes.substr(0, 4);
    if (start == std::string_view("PK\x03\x04", 4) || start == std::string_view("PK\x05\x06", 4))
      Refuse("Damaged workbook", "the zip archive is truncated or damaged (" + reason + ")");
    if (start == std::string_view("\xD0\xCF\x11\xE0", 4)) {
      // A compound document: what a password-protected xlsx is stored in,
      // and the older xls format.
      constexpr std::string_view EncryptionInfo("E\0n\0c\0r\0y\0p\0t\0i\0o\0n\0I\0n\0f\0o\0", 28);
      if (bytes.find(EncryptionInfo) != std::string_view::npos)
        Refuse("Encrypted workbook",
               "the workbook is protected by a password; save it without one");
      Refuse("Not a workbook file",
             "the file is a legacy .xls workbook under another name; save it as .xlsx or .ods");
    }
    Refuse("Not a workbook file", "the file is not a zip archive (" + reason + ")");
  }
  zip_error_fini(&error);
}

TZipContainer::~TZipContainer() {
  if (archive_ != nullptr) zip_discard(archive_);
}

bool TZipContainer::Has(const std::string& member) const {
  return zip_name_locate(archive_, member.c_str(), ZIP_FL_NOCASE) >= 0;
}

void TZipContainer::Stream(const std::string& member,
                           const std::function<void(std::string_view)>& consume) {
  const zip_int64_t index = zip_name_locate(archive_, member.c_str(), ZIP_FL_NOCASE);
  if (index < 0) Refuse("Damaged workbook", member + " is missing");
  std::unique_ptr<zip_file_t, TMemberCloser> file(
      zip_fopen_index(archive_, static_cast<zip_uint64_t>(index), 0));
  if (!file) {
    Refuse("Damaged workbook",
           member + " cannot be opened (" + zip_error_strerror(zip_get_error(archive_)) + ")");
  }
  std::vector<char> block(BlockSize);
  for (;;) {
    const zip_int64_t count = zip_fread(file.get(), block.data(), block.size());
    if (count < 0) {
      Refuse("Damaged workbook", member + " cannot be inflated (" +
                                     zip_error_strerror(zip_file_get_error(file.get())) + ")");
    }
    if (count == 0) break;
    inflated_ += static_cast<std::uint64_t>(count);
    if (inflated_ > MaxInflatedBytes) {
      Refuse("Workbook too large",
             member + " inflates beyond " + std::to_string(MaxInflatedBytes >> 20) + " MB");
    }
    consume(std::string_view(block.data(), static_cast<std::size_t>(count)));
  }
}

}  // namespace talvex
