#pragma once
// What the command line and Export/Import need of Windows besides the
// registry: the ANSI code page, whole files and the standard output.
#include "store/scheme_transfer.h"

namespace klangrid {

class SystemHost : public CommandHost {
 public:
  // Through the system's ANSI code page; a character it lacks is refused
  // rather than replaced by a look-alike.
  std::size_t ToUtf16(const char* text, std::size_t length, char16_t* out,
                      std::size_t capacity) override;
  bool ToAnsi(const char16_t* text, std::size_t length, char* out, std::size_t size) override;
  // A file larger than kMaxFileSize is refused with ERROR_INVALID_DATA: no
  // scheme file comes near it.
  static constexpr unsigned long kMaxFileSize = 4ul << 20;
  long ReadWholeFile(const char* path, ByteArray& data) override;
  // A file that could not be written whole is deleted again.
  long WriteWholeFile(const char* path, const ByteArray& data) override;
  // To the standard output when it was redirected; a GUI program has none
  // otherwise, and then the text goes nowhere.
  void WriteOutput(const char* text, std::size_t length) override;
};

}  // namespace klangrid
