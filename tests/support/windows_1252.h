#pragma once
// The ANSI code page as Windows-1252 (what an English or Western European
// Windows uses), and a command host whose files and standard output live in
// memory: the stand-ins for Windows in the native tests of the file and the
// command line. Portable: used natively and by the fuzz target.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "store/scheme_transfer.h"

namespace klangrid {

// Bytes 0x80..0x9F follow the code page's table; its five unassigned bytes
// map to the control characters of the same number, as Windows maps them.
// Every other byte is the character of the same number. A character beyond
// that has no form (no look-alike is taken).
class Windows1252 : public CommandHost {
 public:
  std::size_t ToUtf16(const char* text, std::size_t length, char16_t* out,
                      std::size_t capacity) override;
  bool ToAnsi(const char16_t* text, std::size_t length, char* out, std::size_t size) override;

  // Files by path; a missing one reads as not found (2). writeStatus, when
  // set, is what every write fails with.
  long ReadWholeFile(const char* path, ByteArray& data) override;
  long WriteWholeFile(const char* path, const ByteArray& data) override;
  void WriteOutput(const char* text, std::size_t length) override { output.append(text, length); }

  std::map<std::string, std::vector<std::uint8_t>> files;
  std::string output;
  long writeStatus = 0;
};

}  // namespace klangrid
