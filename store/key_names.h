#pragma once
// How scheme names become key names and when two of them name one key.
//
// Text is bytes of the system's ANSI code page, which need not be
// Windows-1252: a double-byte code page (932, 936, 949, 950) makes a lead
// byte and the byte after it one character, and that trail byte may look
// like an ASCII letter. The registry compares key names in UTF-16, ignoring
// case with the system's own table, so whether two names are one key is
// asked of the store (SettingsStore::SameKeyName), never decided here.
//
// The portable rule below is the in-memory store's model of the registry,
// kept for the native tests: exact for Windows-1252 and for the double-byte
// pages' single-byte characters, narrower elsewhere (see EqualsAsKeyName).
#include "store/settings_store.h"

namespace klangrid {

constexpr unsigned kCodePageWestern = 1252;

// Whether c begins a two-byte character in the code page: 932 (Japanese),
// 936 (Simplified Chinese), 949 (Korean), 950 (Traditional Chinese); no byte
// does in any other code page.
bool IsLeadByteOfCodePage(unsigned codePage, unsigned char c);

// The fold of a single-byte character. In Windows-1252: A..Z and the
// Latin-1 capitals and the four capitals of the 0x80 row to their small
// letters, as the registry folds them. In every other code page only A..Z:
// their other letters are left to the registry itself.
unsigned char FoldKeyNameChar(unsigned codePage, unsigned char c);

// The portable rule: one key when both names have the same characters, each
// single-byte one folded as above and each double-byte one byte for byte.
// It keeps apart some names the registry joins (letters outside Windows-1252,
// full-width and Greek letters in double-byte pages) and joins none the
// registry keeps apart.
bool EqualsAsKeyName(unsigned codePage, const char* a, const char* b);

// Maps A..Z to a..z in place, character by character in the store's code
// page: a trail byte is never touched, a byte of any other letter neither.
// A lead byte at the very end (a name cut mid-character) is left alone.
void LowerAsciiLetters(SettingsStore& store, char* name);

}  // namespace klangrid
