#pragma once
// The code-page facts of scheme names, one table per rule. The native tests
// hold the portable rule (store/key_names.h) to them for every code page;
// under Wine the real registry store is held to the rows of the process's
// own code page, so the model and the platform cannot drift apart.
namespace klangrid::test {

// Whether two names are one key.
struct SameKeyCase {
  unsigned codePage;
  const char* a;
  const char* b;
  bool join;
};
inline constexpr SameKeyCase kSameKeyCases[] = {
    {1252, "Jazz", "jAZZ", true},
    {1252, "\xC9t\xE9", "\xE9T\xC9", true},          // Été, éTÉ
    {1252, "\x8A\x8C\x8E", "\x9A\x9C\x9E", true},    // capitals of the 0x80 row
    {1252, "\x9F", "\xFF", true},                    // Y with diaeresis
    {1252, "\xD7", "\xF7", false},                   // multiplication, division
    {1252, "@", "`", false},
    {1252, "jazz", "jazz2", false},
    {1256, "\xE1\xCD\xE4", "\xE1\xED\xE4", false},   // two Arabic words
    {1256, "Jazz \xE1\xCD\xE4", "JAZZ \xE1\xCD\xE4", true},
    {932, "\x83\x57\x83\x83\x83\x59", "\x83\x77\x83\x83\x83\x79", false},  // trail bytes W/w, Y/y
    {932, "Jazz\x83\x57", "jAZZ\x83\x57", true},
    {932, "\x83\x5C", "\x83\x7C", false},            // trail byte 0x5C is no backslash
    {936, "\xB0\x41", "\xB0\x61", false},
    {936, "Jazz\xB0\xA1", "jAZZ\xB0\xA1", true},
    {949, "\xB0\x41", "\xB0\x61", false},
    {950, "\xA4\x41", "\xA4\x61", false},
};

// Whether a byte begins a two-byte character.
struct LeadByteCase {
  unsigned codePage;
  unsigned char byte;
  bool lead;
};
inline constexpr LeadByteCase kLeadByteCases[] = {
    {932, 0x80, false}, {932, 0x81, true},  {932, 0x9F, true},  {932, 0xA0, false},
    {932, 0xDF, false}, {932, 0xE0, true},  {932, 0xFC, true},  {932, 0xFD, false},
    {936, 0x80, false}, {936, 0x81, true},  {936, 0xFE, true},  {936, 0xFF, false},
    {949, 0x80, false}, {949, 0x81, true},  {949, 0xFE, true},  {949, 0xFF, false},
    {950, 0x80, false}, {950, 0x81, true},  {950, 0xFE, true},  {950, 0xFF, false},
    {1252, 0x41, false}, {1252, 0x81, false}, {1252, 0xE0, false}, {1256, 0xE1, false},
};

// The key name Save As makes of a typed name: A..Z lowered, nothing else.
struct SaveAsNameCase {
  unsigned codePage;
  const char* typed;
  const char* saved;
};
inline constexpr SaveAsNameCase kSaveAsNameCases[] = {
    {1252, "Jazz \xC9t\xE9", "jazz \xC9t\xE9"},                               // as ever
    {932, "\x83\x57\x83\x83\x83\x59", "\x83\x57\x83\x83\x83\x59"},           // unchanged
    {932, "Jazz\x83\x57X", "jazz\x83\x57x"},
    {932, "\x83\x5C", "\x83\x5C"},                   // its trail byte is no backslash
    {936, "AB\xB0\x41", "ab\xB0\x41"},
    {949, "\xB0\x5A", "\xB0\x5A"},
    {950, "\xA4\x41Z", "\xA4\x41z"},
};

}  // namespace klangrid::test
