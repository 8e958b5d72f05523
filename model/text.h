#pragma once
// Bounded text helpers for the fixed-size single-byte buffers the stored
// format and the driver use. None depends on the process locale.
#include <cstddef>

namespace klangrid {

// Copies at most size-1 bytes of src into dst and always NUL-terminates
// (size > 0). Returns false when src had to be cut.
bool CopyBounded(char* dst, std::size_t size, const char* src);
// Copies a fixed field of srcSize bytes that may lack its NUL: takes the
// bytes up to the first NUL or the field's end, at most size-1 of them, and
// always NUL-terminates dst (size > 0). Returns false when cut.
bool CopyField(char* dst, std::size_t size, const char* src, std::size_t srcSize);
// Appends src to the NUL-terminated text in dst, within size; false when cut.
bool AppendBounded(char* dst, std::size_t size, const char* src);
// Copies src as a menu item's text: every '&' doubled, so the menu shows it
// instead of underlining the next letter. Cut and terminated as by
// CopyBounded, never between the two of a pair; false when cut.
bool CopyMenuText(char* dst, std::size_t size, const char* src);
// Maps A..Z to a..z in place and leaves every other byte alone.
void AsciiLower(char* text);
// Maps a..z to A..Z in place and leaves every other byte alone.
void AsciiUpper(char* text);
// Whole-text equality with A..Z and a..z taken as equal.
bool EqualsIgnoreAsciiCase(const char* a, const char* b);

}  // namespace klangrid
