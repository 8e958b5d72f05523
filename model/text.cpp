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

}  // namespace klangrid
