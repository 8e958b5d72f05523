#pragma once
// Schemes as a registry file, the text the system's registry editor writes
// and `reg import` reads: UTF-16LE with its byte-order mark, the version 5
// header, CRLF line ends, one section per scheme holding its six map values
// as hex: data. The reader is a whitelist for files from anywhere: it takes
// only sections for scheme keys with exactly the six map values, and it
// refuses the whole file, naming the line, at anything else.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "model/map_tables.h"
#include "store/registry_layout.h"

namespace klangrid {

// A growable array of plain data on the C heap: the program has no use for
// the standard containers' exception paths, and they cost size it has not.
// The work is done once, on bytes, for every element type.
class PodBuffer {
 public:
  PodBuffer() = default;
  ~PodBuffer() { std::free(items_); }
  PodBuffer(const PodBuffer&) = delete;
  PodBuffer& operator=(const PodBuffer&) = delete;

  std::size_t Size() const { return size_; }
  void Clear() { size_ = 0; }
  // Drops items from the end (count <= Size()).
  void Shrink(std::size_t count) { size_ -= count; }

 protected:
  // Adds count items of itemSize bytes left uninitialised and returns the
  // first; null, and the buffer unchanged, when memory runs out.
  void* GrowBy(std::size_t count, std::size_t itemSize);
  // False, and the buffer unchanged, when memory runs out.
  bool AppendItems(const void* items, std::size_t count, std::size_t itemSize);
  void* items_ = nullptr;

 private:
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

template <class T>
class PodArray : public PodBuffer {
  static_assert(std::is_trivially_copyable<T>::value, "moved with realloc");

 public:
  T* Grow(std::size_t count) { return static_cast<T*>(GrowBy(count, sizeof(T))); }
  bool Append(const T* items, std::size_t count) { return AppendItems(items, count, sizeof(T)); }
  bool Push(const T& item) { return Append(&item, 1); }

  T* Data() { return static_cast<T*>(items_); }
  const T* Data() const { return static_cast<const T*>(items_); }
  T& operator[](std::size_t i) { return Data()[i]; }
  const T& operator[](std::size_t i) const { return Data()[i]; }
};

using ByteArray = PodArray<std::uint8_t>;

// Text between the file's UTF-16 and the ANSI code page the registry's
// key names and the driver's values are in. The program asks Windows; the
// portable core cannot, so it is handed in.
class AnsiCodePage {
 public:
  virtual ~AnsiCodePage() = default;
  // Converts length bytes of ANSI text into at most capacity UTF-16 units;
  // returns the count, or capacity + 1 when the text is no valid text of the
  // code page or does not fit. A byte never becomes more than one unit.
  virtual std::size_t ToUtf16(const char* text, std::size_t length, char16_t* out,
                              std::size_t capacity) = 0;
  // Converts length UTF-16 units into out, NUL-terminated within size;
  // false when a character has no form of its own in the code page (no
  // look-alike stands in) or the result does not fit.
  virtual bool ToAnsi(const char16_t* text, std::size_t length, char* out, std::size_t size) = 0;
};

// One scheme as the file carries it: its key's name and the six values.
struct SchemeRecord {
  char name[kSchemeNameSize];
  std::uint8_t instrument[kSlotCount][kInstrumentMaskSize];
  std::uint8_t percussion[kSlotCount][kPercussionMaskSize];
  unsigned line;  // of its section, when read from a file
  bool exists;    // a key of that name is there already (import)
};
using SchemeRecords = PodArray<SchemeRecord>;

void RecordToMaps(const SchemeRecord& record, MapTables& tables);
void MapsToRecord(const MapTables& tables, SchemeRecord& record);

// Appends the whole file to out. False when memory runs out or a name has
// no UTF-16 form or holds a control character, which would end its line.
bool WriteSchemeFile(const SchemeRecords& schemes, AnsiCodePage& codePage, ByteArray& out);

// The numbers are fixed: the program's messages are indexed by them.
enum class FileError {
  kNone,
  kUnreadable,     // not text in a form the reader knows (or memory ran out)
  kHeader,         // the first line is no registry file header
  kTruncated,      // ends inside a continued line or a section
  kSyntax,         // a line that is neither section, value, comment nor blank
  kOtherKey,       // a section for a key that is no scheme of the driver
  kDeletion,       // [-key] or "value"=-
  kOtherValue,     // a value that is none of the six, or one given twice
  kOtherType,      // a map value that is not binary data
  kWrongLength,    // a map value of the wrong size
  kMissingValue,   // a section without all six values (the line is the section's)
  kBadName,        // a name Save As refuses
  kNoAnsiForm,     // a name with a character the ANSI code page lacks
  kDuplicate,      // a second section for the same scheme (CheckSchemeNames)
};
struct FileReadResult {
  FileError error;
  unsigned line;  // 1-based, where error is not kNone
};
// Reads the whole file into schemes (cleared first). On an error schemes
// holds what was read up to it; the caller writes nothing then.
FileReadResult ReadSchemeFile(const std::uint8_t* data, std::size_t size, AnsiCodePage& codePage,
                              SchemeRecords& schemes);

}  // namespace klangrid
