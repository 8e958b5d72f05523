#include "store/key_names.h"

namespace klangrid {

bool IsLeadByteOfCodePage(unsigned codePage, unsigned char c) {
  switch (codePage) {
    case 932:
      return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    case 936:
    case 949:
    case 950:
      return c >= 0x81 && c <= 0xFE;
    default:
      return false;
  }
}

unsigned char FoldKeyNameChar(unsigned codePage, unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c - 'A' + 'a');
  if (codePage != kCodePageWestern) return c;
  // The Latin-1 capitals (but the multiplication sign), and the four
  // capitals in the 0x80 row.
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
  switch (c) {
    case 0x8A: return 0x9A;  // S with caron
    case 0x8C: return 0x9C;  // OE
    case 0x8E: return 0x9E;  // Z with caron
    case 0x9F: return 0xFF;  // Y with diaeresis
    default: return c;
  }
}

bool EqualsAsKeyName(unsigned codePage, const char* a, const char* b) {
  if (!a || !b) return a == b;
  for (;;) {
    const unsigned char x = static_cast<unsigned char>(*a);
    const unsigned char y = static_cast<unsigned char>(*b);
    const bool xLead = IsLeadByteOfCodePage(codePage, x) && a[1] != '\0';
    const bool yLead = IsLeadByteOfCodePage(codePage, y) && b[1] != '\0';
    if (xLead != yLead) return false;
    if (xLead) {
      if (x != y || a[1] != b[1]) return false;
      a += 2;
      b += 2;
      continue;
    }
    if (FoldKeyNameChar(codePage, x) != FoldKeyNameChar(codePage, y)) return false;
    if (x == 0) return true;
    ++a;
    ++b;
  }
}

void LowerAsciiLetters(SettingsStore& store, char* name) {
  for (char* p = name; p && *p; ++p) {
    if (store.IsLeadByte(static_cast<unsigned char>(*p))) {
      if (p[1] == '\0') return;
      ++p;  // the trail byte stays as it is
    } else if (*p >= 'A' && *p <= 'Z') {
      *p = static_cast<char>(*p - 'A' + 'a');
    }
  }
}

}  // namespace klangrid
