#include "tests/support/real_registry.h"

#include <algorithm>

namespace klangrid::test {
namespace {

// Holds an open key for the length of a scope.
class OpenedKey {
 public:
  OpenedKey(const std::string& path, REGSAM view) {
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, &key_) != ERROR_SUCCESS)
      key_ = nullptr;
  }
  ~OpenedKey() {
    if (key_) RegCloseKey(key_);
  }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

bool DeleteTree(const std::string& path, REGSAM view) {
  if (!HasKey(path, view)) return true;  // nothing there
  for (const std::string& child : SubkeyNames(path, view)) DeleteTree(path + "\\" + child, view);
  return RegDeleteKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), view, 0) == ERROR_SUCCESS;
}

bool CreateKey(const std::string& path, REGSAM view) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

bool HasKey(const std::string& path, REGSAM view) { return OpenedKey(path, view).Get() != nullptr; }

std::vector<std::string> SubkeyNames(const std::string& path, REGSAM view) {
  std::vector<std::string> names;
  OpenedKey key(path, view);
  if (!key.Get()) return names;
  char name[256];
  for (DWORD i = 0; RegEnumKeyA(key.Get(), i, name, sizeof name) == ERROR_SUCCESS; ++i) names.push_back(name);
  return names;
}

std::vector<std::string> ValueNames(const std::string& path, REGSAM view) {
  std::vector<std::string> names;
  OpenedKey key(path, view);
  if (!key.Get()) return names;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD size = sizeof name;
    if (RegEnumValueA(key.Get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<RegValue> ReadValue(const std::string& path, const char* name, REGSAM view) {
  OpenedKey key(path, view);
  if (!key.Get()) return std::nullopt;
  RegValue value{0, Bytes(1024)};
  DWORD size = DWORD(value.data.size());
  if (RegQueryValueExA(key.Get(), name, nullptr, &value.type, value.data.data(), &size) != ERROR_SUCCESS)
    return std::nullopt;
  value.data.resize(size);
  return value;
}

std::optional<Bytes> ReadData(const std::string& path, const char* name, REGSAM view) {
  std::optional<RegValue> value = ReadValue(path, name, view);
  if (!value) return std::nullopt;
  return value->data;
}

bool PutValue(const std::string& path, const std::string& name, DWORD type, const Bytes& data,
              REGSAM view) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const bool set = name.empty() || RegSetValueExA(key, name.c_str(), 0, type, data.data(),
                                                  DWORD(data.size())) == ERROR_SUCCESS;
  RegCloseKey(key);
  return set;
}

}  // namespace klangrid::test
