#include "tests/support/windows_1252.h"

namespace klangrid {

namespace {

const char16_t kRow80[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::size_t Windows1252::ToUtf16(const char* text, std::size_t length, char16_t* out,
                                 std::size_t capacity) {
  if (length > capacity) return capacity + 1;
  for (std::size_t i = 0; i < length; ++i) {
    const unsigned char byte = static_cast<unsigned char>(text[i]);
    out[i] = byte >= 0x80 && byte < 0xA0 ? kRow80[byte - 0x80] : byte;
  }
  return length;
}

bool Windows1252::ToAnsi(const char16_t* text, std::size_t length, char* out, std::size_t size) {
  if (length >= size) return false;
  for (std::size_t i = 0; i < length; ++i) {
    int byte = -1;
    if (text[i] < 0x80 || (text[i] >= 0xA0 && text[i] <= 0xFF)) byte = text[i];
    for (int b = 0; b < 32 && byte < 0; ++b) {
      if (kRow80[b] == text[i]) byte = 0x80 + b;
    }
    if (byte < 0) return false;
    out[i] = static_cast<char>(byte);
  }
  out[length] = '\0';
  return true;
}

long Windows1252::ReadWholeFile(const char* path, ByteArray& data) {
  const auto file = files.find(path);
  if (file == files.end()) return 2;
  return data.Append(file->second.data(), file->second.size()) ? 0 : 14;  // ERROR_OUTOFMEMORY
}

long Windows1252::WriteWholeFile(const char* path, const ByteArray& data) {
  if (writeStatus) return writeStatus;
  files[path].assign(data.Data(), data.Data() + data.Size());
  return 0;
}

}  // namespace klangrid
