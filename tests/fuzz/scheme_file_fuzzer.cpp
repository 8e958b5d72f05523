// Reads the input as a registry file of schemes, the way Import reads a
// file from anywhere, and checks what must hold for any file: a refusal
// names a line of the file; what is accepted, and distinct as the store
// compares names, are scheme names the store takes, and writing them and reading that back gives them again;
// importing them into a store writes exactly those keys and bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/text.h"
#include "store/registry_layout.h"
#include "store/scheme_transfer.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/memory_store.h"
#include "tests/support/windows_1252.h"

using namespace klangrid;

namespace {

bool SameRecord(const SchemeRecord& a, const SchemeRecord& b) {
  return std::strcmp(a.name, b.name) == 0 &&
         std::memcmp(a.instrument, b.instrument, sizeof a.instrument) == 0 &&
         std::memcmp(a.percussion, b.percussion, sizeof a.percussion) == 0;
}

// Line ends as the reader counts them: CRLF, LF or a lone CR, in bytes or
// in UTF-16 units; an upper bound for the line an error can name.
std::size_t LineBound(const std::uint8_t* data, std::size_t size) {
  std::size_t lines = 1;
  for (std::size_t i = 0; i < size; ++i) lines += data[i] == '\r' || data[i] == '\n';
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Windows1252 codePage;
  SchemeRecords schemes;
  const FileReadResult result = ReadSchemeFile(data, size, codePage, schemes);
  if (result.error != FileError::kNone) {
    CHECK(result.line >= 1 && result.line <= LineBound(data, size));
    return 0;
  }
  MemoryStore store;
  const FileReadResult names = CheckSchemeNames(store, schemes);
  if (names.error != FileError::kNone) {
    CHECK(names.error == FileError::kDuplicate && names.line > 1 && names.line <= LineBound(data, size));
    return 0;
  }
  for (std::size_t i = 0; i < schemes.Size(); ++i) {
    char path[kKeyPathSize];
    CHECK(std::memchr(schemes[i].name, '\0', kSchemeNameSize) != nullptr);
    CHECK(IsSchemeName(store, schemes[i].name) && SchemeKeyPath(schemes[i].name, path));
  }

  ByteArray written;
  CHECK(WriteSchemeFile(schemes, codePage, written));
  SchemeRecords again;
  CHECK(ReadSchemeFile(written.Data(), written.Size(), codePage, again).error == FileError::kNone);
  CHECK(again.Size() == schemes.Size());
  for (std::size_t i = 0; i < schemes.Size(); ++i) CHECK(SameRecord(schemes[i], again[i]));

  store.PutKey(kActiveKeyPath);
  CHECK(MarkExisting(store, schemes) == 0);
  const ImportResult imported = ImportSchemes(store, schemes);
  CHECK(imported.complete && imported.written == schemes.Size());
  CHECK(store.SubkeyNames(kActiveKeyPath).size() == schemes.Size());
  SchemeRecords exported;
  CHECK(CollectSchemes(store, nullptr, 0, exported) == kStoreOk);
  CHECK(exported.Size() == schemes.Size());
  for (std::size_t i = 0; i < exported.Size(); ++i) {
    bool found = false;
    for (std::size_t j = 0; j < schemes.Size() && !found; ++j) found = SameRecord(exported[i], schemes[j]);
    CHECK(found);
  }
  CHECK(store.OpenKeyCount() == 0);
  return 0;
}
