#include "model/text.h"

namespace klangrid {

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::size_t BoundedLength(const char* text, std::size_t limit) {
  std::size_t n = 0;
  while (n < limit && text[n] != '\0') ++n;
  return n;
}

}  // namespace

bool CopyField(char* dst, std::size_t size, const char* src, std::size_t srcSize) {
  if (size == 0) return false;
  std::size_t n = 0;
  if (src) {
    for (; n < srcSize && src[n] != '\0'; ++n) {
      if (n + 1 == size) {
        dst[n] = '\0';
        return false;
      }
      dst[n] = src[n];
    }
  }
  dst[n] = '\0';
  return true;
}

bool CopyBounded(char* dst, std::size_t size, const char* src) {
  return CopyField(dst, size, src, static_cast<std::size_t>(-1));
}

bool AppendBounded(char* dst, std::size_t size, const char* src) {
  if (size == 0) return false;
  const std::size_t used = BoundedLength(dst, size);
  if (used == size) {
    // dst held no NUL at all: terminate it where it must end.
    dst[size - 1] = '\0';
    return false;
  }
  return CopyBounded(dst + used, size - used, src);
}

bool CopyMenuText(char* dst, std::size_t size, const char* src) {
  if (size == 0) return false;
  std::size_t n = 0;
  for (; src && *src; ++src) {
    const std::size_t need = *src == '&' ? 2 : 1;
    if (n + need >= size) {
      dst[n] = '\0';
      return false;
    }
    dst[n++] = *src;
    if (need == 2) dst[n++] = '&';
  }
  dst[n] = '\0';
  return true;
}

void AsciiLower(char* text) {
  for (; text && *text; ++text) *text = LowerAscii(*text);
}

void AsciiUpper(char* text) {
  for (; text && *text; ++text) *text = UpperAscii(*text);
}

bool EqualsIgnoreAsciiCase(const char* a, const char* b) {
  if (!a || !b) return a == b;
  for (;; ++a, ++b) {
    if (LowerAscii(*a) != LowerAscii(*b)) return false;
    if (*a == '\0') return true;
  }
}

unsigned char FoldKeyNameChar(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c - 'A' + 'a');
  // Windows-1252: the Latin-1 capitals (but the multiplication sign), and
  // the four capitals in the 0x80 row.
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
  switch (c) {
    case 0x8A: return 0x9A;  // S with caron
    case 0x8C: return 0x9C;  // OE
    case 0x8E: return 0x9E;  // Z with caron
    case 0x9F: return 0xFF;  // Y with diaeresis
    default: return c;
  }
}

bool StartsWithAsKeyName(const char* text, const char* prefix) {
  if (!text || !prefix) return false;
  for (; *prefix; ++text, ++prefix) {
    if (FoldKeyNameChar(static_cast<unsigned char>(*text)) !=
        FoldKeyNameChar(static_cast<unsigned char>(*prefix)))
      return false;
  }
  return true;
}

bool EqualsAsKeyName(const char* a, const char* b) {
  if (!a || !b) return a == b;
  return StartsWithAsKeyName(a, b) && StartsWithAsKeyName(b, a);
}

}  // namespace klangrid
