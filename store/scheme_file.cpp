#include "store/scheme_file.h"

#include "model/text.h"

namespace klangrid {

namespace {

constexpr const char* kHeader5 = "Windows Registry Editor Version 5.00";
constexpr const char* kHeader4 = "REGEDIT4";
constexpr const char* kRootName = "HKEY_LOCAL_MACHINE\\";
// A 32-bit program's view of the same key, as 64-bit Windows exports it.
constexpr const char* kWowActivePath = "SOFTWARE\\WOW6432Node\\Kestro\\AudioDriver";
// The six values in the order the program stores them.
constexpr int kValueCount = 2 * kSlotCount;
constexpr const char* kValueNames[kValueCount] = {"Instrument0", "Percussion0", "Instrument1",
                                                  "Percussion1", "Instrument2", "Percussion2"};
// Far more than any line of a good file (a 16-byte value takes 65), so a
// longer one is refused rather than held.
constexpr std::size_t kMaxLogicalLine = 1024;

std::uint8_t* ValueBytes(SchemeRecord& record, int value) {
  return value % 2 ? record.percussion[value / 2] : record.instrument[value / 2];
}
const std::uint8_t* ValueBytes(const SchemeRecord& record, int value) {
  return ValueBytes(const_cast<SchemeRecord&>(record), value);
}
std::size_t ValueSize(int value) { return value % 2 ? kPercussionMaskSize : kInstrumentMaskSize; }

// ---- writing

bool PutUnit(ByteArray& out, char16_t unit) {
  const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(unit & 0xFF),
                                 static_cast<std::uint8_t>(unit >> 8)};
  return out.Append(bytes, 2);
}

bool PutAscii(ByteArray& out, const char* text) {
  for (; *text; ++text) {
    if (!PutUnit(out, static_cast<unsigned char>(*text))) return false;
  }
  return true;
}

bool PutSection(ByteArray& out, const SchemeRecord& record, AnsiCodePage& codePage) {
  char16_t name[kSchemeNameSize];
  const std::size_t length = std::strlen(record.name);
  const std::size_t units = codePage.ToUtf16(record.name, length, name, kSchemeNameSize);
  if (units > kSchemeNameSize) return false;
  bool ok = PutAscii(out, "[") && PutAscii(out, kRootName) && PutAscii(out, kActiveKeyPath) &&
            PutAscii(out, "\\");
  for (std::size_t i = 0; ok && i < units; ++i) ok = name[i] >= 0x20 && PutUnit(out, name[i]);
  ok = ok && PutAscii(out, "]\r\n");
  // A 16-byte value is a line of 65 characters: the registry editor only
  // continues hex lines past 77, so no line here is continued.
  static const char kDigits[] = "0123456789abcdef";
  for (int value = 0; ok && value < kValueCount; ++value) {
    ok = PutAscii(out, "\"") && PutAscii(out, kValueNames[value]) && PutAscii(out, "\"=hex:");
    const std::uint8_t* bytes = ValueBytes(record, value);
    for (std::size_t i = 0; ok && i < ValueSize(value); ++i) {
      const char hex[4] = {kDigits[bytes[i] >> 4], kDigits[bytes[i] & 0xF],
                           i + 1 < ValueSize(value) ? ',' : '\0', '\0'};
      ok = PutAscii(out, hex);
    }
    ok = ok && PutAscii(out, "\r\n");
  }
  return ok && PutAscii(out, "\r\n");
}

// ---- reading

bool IsBlank(char16_t c) { return c == ' ' || c == '\t'; }

char16_t LowerUnit(char16_t c) { return (c >= 'A' && c <= 'Z') ? char16_t(c - 'A' + 'a') : c; }

// Whether the units at text begin with the ASCII prefix, A..Z and a..z
// taken as equal.
bool StartsWithAscii(const char16_t* text, std::size_t length, const char* prefix) {
  for (std::size_t i = 0; prefix[i]; ++i) {
    if (i >= length || LowerUnit(text[i]) != LowerUnit(static_cast<unsigned char>(prefix[i])))
      return false;
  }
  return true;
}

bool EqualsAscii(const char16_t* text, std::size_t length, const char* ascii) {
  return std::strlen(ascii) == length && StartsWithAscii(text, length, ascii);
}

int HexDigit(char16_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = LowerUnit(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The file's text as UTF-16 units, whatever form it came in.
FileError Decode(const std::uint8_t* data, std::size_t size, AnsiCodePage& codePage,
                 PodArray<char16_t>& text, bool* unicode) {
  *unicode = size >= 2 && data[0] == 0xFF && data[1] == 0xFE;
  if (*unicode) {
    if (size % 2) return FileError::kTruncated;
    const std::size_t units = (size - 2) / 2;
    char16_t* out = text.Grow(units);
    if (units && !out) return FileError::kUnreadable;
    for (std::size_t i = 0; i < units; ++i)
      out[i] = static_cast<char16_t>(data[2 + 2 * i] | (data[3 + 2 * i] << 8));
    return FileError::kNone;
  }
  // Big-endian UTF-16 and UTF-8 are no registry file's forms.
  if (size >= 2 && ((data[0] == 0xFE && data[1] == 0xFF) || (data[0] == 0xEF && data[1] == 0xBB)))
    return FileError::kUnreadable;
  if (size == 0) return FileError::kNone;
  char16_t* out = text.Grow(size);
  if (!out) return FileError::kUnreadable;
  const std::size_t units = codePage.ToUtf16(reinterpret_cast<const char*>(data), size, out, size);
  if (units > size) return FileError::kUnreadable;
  text.Shrink(size - units);
  return FileError::kNone;
}

class Parser {
 public:
  Parser(const char16_t* text, std::size_t size, AnsiCodePage& codePage, SchemeRecords& schemes)
      : text_(text), size_(size), codePage_(codePage), schemes_(schemes) {}

  FileReadResult Run(bool unicode) {
    const char16_t* line;
    std::size_t length;
    if (!NextLine(&line, &length) || !EqualsAscii(line, TrimEnd(line, length),
                                                  unicode ? kHeader5 : kHeader4))
      return {FileError::kHeader, 1};
    while (NextLine(&line, &length)) {
      const unsigned number = number_;
      while (length && IsBlank(*line)) ++line, --length;
      length = TrimEnd(line, length);
      if (length == 0 || *line == ';') continue;
      FileError error = Join(line, length);
      if (error != FileError::kNone) return {error, number_};
      if (logicalLength_ == 0) continue;  // only continuation marks: a blank line
      error = ParseLine(number);
      if (error != FileError::kNone)
        return {error, error == FileError::kMissingValue ? sectionLine_ : number};
    }
    const FileError error = EndSection();
    return {error, error == FileError::kNone ? 0u : sectionLine_};
  }

 private:
  static std::size_t TrimEnd(const char16_t* line, std::size_t length) {
    while (length && IsBlank(line[length - 1])) --length;
    return length;
  }

  // The next physical line without its end (CRLF, LF or a lone CR).
  bool NextLine(const char16_t** line, std::size_t* length) {
    if (pos_ >= size_ && !(pos_ == 0 && number_ == 0)) return false;
    ++number_;
    *line = text_ + pos_;
    std::size_t end = pos_;
    while (end < size_ && text_[end] != '\r' && text_[end] != '\n') ++end;
    *length = end - pos_;
    pos_ = end;
    if (pos_ < size_ && text_[pos_] == '\r') ++pos_;
    if (pos_ < size_ && text_[pos_] == '\n' && (pos_ == end || text_[end] == '\r')) ++pos_;
    return true;
  }

  // The line with every continuation ("\" at its end) joined on, leading
  // blanks of the continued lines dropped, into logical_.
  FileError Join(const char16_t* line, std::size_t length) {
    logicalLength_ = 0;
    for (;;) {
      const bool continued = line[length - 1] == '\\';
      if (continued) length = TrimEnd(line, length - 1);
      if (length > kMaxLogicalLine - logicalLength_) return FileError::kSyntax;
      for (std::size_t i = 0; i < length; ++i) {
        if (line[i] == 0) return FileError::kUnreadable;
        logical_[logicalLength_++] = line[i];
      }
      if (!continued) return FileError::kNone;
      if (!NextLine(&line, &length)) return FileError::kTruncated;
      while (length && IsBlank(*line)) ++line, --length;
      length = TrimEnd(line, length);
      if (length == 0) return FileError::kNone;
    }
  }

  FileError ParseLine(unsigned number) {
    const char16_t* line = logical_;
    const std::size_t length = logicalLength_;
    if (line[0] == '[') return OpenSection(line + 1, length - 1, number);
    if (line[0] == '@') return FileError::kOtherValue;
    if (line[0] == '"') return ParseValue(line + 1, length - 1);
    return FileError::kSyntax;
  }

  FileError OpenSection(const char16_t* path, std::size_t length, unsigned number) {
    const FileError ended = EndSection();
    if (ended != FileError::kNone) return ended;
    sectionLine_ = number;
    if (length && path[0] == '-') return FileError::kDeletion;
    // A key name may hold "]": the section ends at the line's last one.
    if (length == 0 || path[length - 1] != ']') return FileError::kSyntax;
    --length;
    std::size_t skip = std::strlen(kRootName);
    if (!StartsWithAscii(path, length, kRootName)) return FileError::kOtherKey;
    if (StartsWithAscii(path + skip, length - skip, kActiveKeyPath)) {
      skip += std::strlen(kActiveKeyPath);
    } else if (StartsWithAscii(path + skip, length - skip, kWowActivePath)) {
      skip += std::strlen(kWowActivePath);
    } else {
      return FileError::kOtherKey;
    }
    if (skip >= length || path[skip] != '\\') return FileError::kOtherKey;
    const char16_t* name = path + skip + 1;
    const std::size_t units = length - skip - 1;
    for (std::size_t i = 0; i < units; ++i) {
      if (name[i] == '\\') return FileError::kOtherKey;  // a key below a scheme
      if (name[i] < 0x20) return FileError::kBadName;
    }
    if (units == 0) return FileError::kOtherKey;  // the driver's key itself
    if (units >= kSchemeNameSize) return FileError::kBadName;

    SchemeRecord* record = schemes_.Grow(1);
    if (!record) return FileError::kUnreadable;
    std::memset(record, 0, sizeof *record);
    record->line = number;
    char ansi[2 * kSchemeNameSize];
    if (!codePage_.ToAnsi(name, units, ansi, sizeof ansi)) return FileError::kNoAnsiForm;
    // No backslash, checked above in UTF-16: in a double-byte code page a
    // trail byte may be 0x5C and is none. Whether two names are one key is
    // the store's question (CheckSchemeNames).
    char path8[kKeyPathSize];
    if (!CopyBounded(record->name, sizeof record->name, ansi) || record->name[0] == '\0' ||
        !SchemeKeyPath(record->name, path8))
      return FileError::kBadName;
    inSection_ = true;
    seen_ = 0;
    return FileError::kNone;
  }

  FileError EndSection() {
    if (inSection_ && seen_ != (1u << kValueCount) - 1) return FileError::kMissingValue;
    inSection_ = false;
    return FileError::kNone;
  }

  FileError ParseValue(const char16_t* text, std::size_t length) {
    if (!inSection_) return FileError::kSyntax;
    std::size_t close = 0;
    while (close < length && text[close] != '"') close += text[close] == '\\' ? 2 : 1;
    if (close >= length) return FileError::kSyntax;
    std::size_t at = close + 1;
    while (at < length && IsBlank(text[at])) ++at;
    if (at >= length || text[at++] != '=') return FileError::kSyntax;
    while (at < length && IsBlank(text[at])) ++at;
    if (at < length && text[at] == '-') return FileError::kDeletion;

    int value = 0;
    while (value < kValueCount && !EqualsAscii(text, close, kValueNames[value])) ++value;
    if (value == kValueCount || (seen_ & (1u << value))) return FileError::kOtherValue;
    seen_ |= 1u << value;

    // Binary data as the registry editor spells it.
    if (!StartsWithAscii(text + at, length - at, "hex:")) return FileError::kOtherType;
    return ParseHex(text + at + 4, length - at - 4, ValueBytes(schemes_[schemes_.Size() - 1], value),
                    ValueSize(value));
  }

  // Bytes of one or two hex digits, separated by commas, blanks allowed
  // around them. Exactly size of them, into out.
  static FileError ParseHex(const char16_t* text, std::size_t length, std::uint8_t* out,
                            std::size_t size) {
    std::size_t count = 0;
    std::size_t at = 0;
    for (;;) {
      while (at < length && IsBlank(text[at])) ++at;
      if (at >= length) {
        if (count == 0) break;  // "hex:" with no data
        return FileError::kSyntax;  // a comma with nothing after it
      }
      int byte = HexDigit(text[at]);
      if (byte < 0) return FileError::kSyntax;
      ++at;
      if (at < length && HexDigit(text[at]) >= 0) byte = byte * 16 + HexDigit(text[at++]);
      if (count < size) out[count] = static_cast<std::uint8_t>(byte);
      ++count;
      while (at < length && IsBlank(text[at])) ++at;
      if (at >= length) break;
      if (text[at++] != ',') return FileError::kSyntax;
    }
    return count == size ? FileError::kNone : FileError::kWrongLength;
  }

  const char16_t* text_;
  std::size_t size_;
  std::size_t pos_ = 0;
  unsigned number_ = 0;
  AnsiCodePage& codePage_;
  SchemeRecords& schemes_;
  char16_t logical_[kMaxLogicalLine];
  std::size_t logicalLength_ = 0;
  bool inSection_ = false;
  unsigned seen_ = 0;
  unsigned sectionLine_ = 0;
};

}  // namespace

void* PodBuffer::GrowBy(std::size_t count, std::size_t itemSize) {
  if (count > capacity_ - size_) {
    std::size_t capacity = capacity_ ? capacity_ : 64;
    while (capacity - size_ < count) {
      if (capacity > static_cast<std::size_t>(-1) / 2 / itemSize) return nullptr;
      capacity *= 2;
    }
    void* grown = std::realloc(items_, capacity * itemSize);
    if (!grown) return nullptr;
    items_ = grown;
    capacity_ = capacity;
  }
  void* added = static_cast<char*>(items_) + size_ * itemSize;
  size_ += count;
  return added;
}

bool PodBuffer::AppendItems(const void* items, std::size_t count, std::size_t itemSize) {
  if (count == 0) return true;
  void* added = GrowBy(count, itemSize);
  if (!added) return false;
  std::memcpy(added, items, count * itemSize);
  return true;
}

void RecordToMaps(const SchemeRecord& record, MapTables& tables) {
  std::memcpy(tables.instrument, record.instrument, sizeof tables.instrument);
  std::memcpy(tables.percussion, record.percussion, sizeof tables.percussion);
}

void MapsToRecord(const MapTables& tables, SchemeRecord& record) {
  std::memcpy(record.instrument, tables.instrument, sizeof record.instrument);
  std::memcpy(record.percussion, tables.percussion, sizeof record.percussion);
}

bool WriteSchemeFile(const SchemeRecords& schemes, AnsiCodePage& codePage, ByteArray& out) {
  static const std::uint8_t kByteOrderMark[2] = {0xFF, 0xFE};
  bool ok = out.Append(kByteOrderMark, 2) && PutAscii(out, kHeader5) && PutAscii(out, "\r\n\r\n");
  for (std::size_t i = 0; ok && i < schemes.Size(); ++i) ok = PutSection(out, schemes[i], codePage);
  return ok;
}

FileReadResult ReadSchemeFile(const std::uint8_t* data, std::size_t size, AnsiCodePage& codePage,
                              SchemeRecords& schemes) {
  schemes.Clear();
  PodArray<char16_t> text;
  bool unicode = false;
  const FileError decoded = Decode(data, size, codePage, text, &unicode);
  if (decoded != FileError::kNone) return {decoded, 1};
  Parser parser(text.Data(), text.Size(), codePage, schemes);
  const FileReadResult result = parser.Run(unicode);
  return result;
}

}  // namespace klangrid
