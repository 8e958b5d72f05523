#pragma once
// The real registry below HKEY_LOCAL_MACHINE, for tests that seed it and
// check what the program left there. Each call names the view it works in:
// 0 for the test program's own, KEY_WOW64_32KEY or KEY_WOW64_64KEY for one
// of the two views of 64-bit Windows. Windows only.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/support/bytes.h"

namespace klangrid::test {

struct RegValue {
  DWORD type;
  Bytes data;
};

// Deletes a key with everything below it; true when it is gone.
bool DeleteTree(const std::string& path, REGSAM view = 0);
// Creates the key and any missing parent; true when it is there.
bool CreateKey(const std::string& path, REGSAM view = 0);
bool HasKey(const std::string& path, REGSAM view = 0);
// The key's subkeys in enumeration order, and its value names sorted;
// empty for a missing key.
std::vector<std::string> SubkeyNames(const std::string& path, REGSAM view = 0);
std::vector<std::string> ValueNames(const std::string& path, REGSAM view = 0);
// A value of at most 1024 bytes; nothing for a missing key or value.
std::optional<RegValue> ReadValue(const std::string& path, const char* name, REGSAM view = 0);
std::optional<Bytes> ReadData(const std::string& path, const char* name, REGSAM view = 0);
// Creates the key, then sets the value unless name is empty.
bool PutValue(const std::string& path, const std::string& name, DWORD type, const Bytes& data,
              REGSAM view = 0);

}  // namespace klangrid::test
