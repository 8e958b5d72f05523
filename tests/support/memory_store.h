#pragma once
// A settings store in memory that behaves like the registry on every point
// the program relies on, with seeding, inspection, a call log and injected
// faults for tests. Portable: used natively and in the Windows tests.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "store/settings_store.h"

namespace klangrid {

class MemoryStore : public SettingsStore {
 public:
  // The registry's own codes, so callers see what they would see on Windows.
  static constexpr long kFileNotFound = 2;      // ERROR_FILE_NOT_FOUND
  static constexpr long kAccessDenied = 5;      // ERROR_ACCESS_DENIED
  static constexpr long kInvalidHandle = 6;     // ERROR_INVALID_HANDLE
  static constexpr long kInvalidParameter = 87; // ERROR_INVALID_PARAMETER
  static constexpr long kBadPathname = 161;     // ERROR_BAD_PATHNAME
  static constexpr long kMoreData = 234;        // ERROR_MORE_DATA
  static constexpr long kNoMoreItems = 259;     // ERROR_NO_MORE_ITEMS
  static constexpr long kKeyDeleted = 1018;     // ERROR_KEY_DELETED
  static constexpr long kNoUnicodeTranslation = kStoreNoAnsiName;

  enum class Op { CreateKey, OpenKey, QueryValue, SetValue, EnumKey, DeleteKey, CloseKey };

  struct Value {
    unsigned long type = 0;
    std::vector<std::uint8_t> data;
    bool operator==(const Value& other) const { return type == other.type && data == other.data; }
  };

  // One call of a store operation, in call order. path is the path the key
  // was opened with (for QueryValue, SetValue, EnumKey, CloseKey: the open
  // key's path); name is the value name; size is the length written or the
  // buffer size given.
  struct Call {
    Op op;
    std::string path;
    std::string name;
    unsigned long type = 0;
    unsigned long size = 0;
    unsigned long index = 0;         // EnumKey only
    std::vector<std::uint8_t> data;  // SetValue only
    long status = 0;
  };

  // Names are bytes of the code page given and compare by the portable rule
  // of store/key_names.h (EqualsAsKeyName) in it.
  explicit MemoryStore(unsigned codePage = 1252);
  ~MemoryStore() override;
  MemoryStore(const MemoryStore&) = delete;
  MemoryStore& operator=(const MemoryStore&) = delete;

  // Paths: key names joined by backslashes, below the root. Empty names
  // between backslashes are skipped, as the registry skips them; a leading
  // backslash fails, and an empty path (the root itself) is refused.
  long CreateKey(const char* path, Key* key) override;
  long OpenKey(const char* path, Key* key) override;
  long QueryValue(Key key, const char* name, void* buffer, unsigned long size) override;
  long SetValue(Key key, const char* name, unsigned long type, const void* data,
                unsigned long length) override;
  long EnumKey(Key key, unsigned long index, char* buffer, unsigned long size) override;
  long DeleteKey(const char* path) override;
  long CloseKey(Key key) override;
  bool SameKeyName(const char* a, const char* b) override;
  bool IsLeadByte(unsigned char c) override;

  // Seeding and inspection, outside the log and the faults. Put and PutKey
  // create missing keys; Put replaces a value of the same name.
  void PutKey(const std::string& path);
  void Put(const std::string& path, const std::string& name, unsigned long type,
           const std::vector<std::uint8_t>& data);
  // REG_SZ with its NUL.
  void PutText(const std::string& path, const std::string& name, const std::string& text);
  // A subkey whose name the code page cannot spell, as another program may
  // make through the wide registry functions: listed first, where EnumKey
  // fails with kStoreNoAnsiName; no path reaches it.
  void PutKeyWithoutAnsiName(const std::string& parentPath);
  bool RemoveValue(const std::string& path, const std::string& name);
  std::optional<std::vector<std::uint8_t>> Get(const std::string& path,
                                               const std::string& name) const;
  std::optional<Value> GetValue(const std::string& path, const std::string& name) const;
  bool HasKey(const std::string& path) const;
  // Subkey names in enumeration order; empty for a missing key.
  std::vector<std::string> SubkeyNames(const std::string& path) const;
  std::vector<std::string> ValueNames(const std::string& path) const;
  // Keys opened or created and not yet closed.
  std::size_t OpenKeyCount() const { return handles_.size(); }

  const std::vector<Call>& Calls() const { return calls_; }
  std::vector<Call> SetValueCalls() const;
  void ClearCalls() { calls_.clear(); }

  // Makes every later call of op on the key at path fail with status (path
  // compared without regard to case). For CreateKey, OpenKey and DeleteKey
  // the path is the one the call names; for the others, the open key's path.
  void FailOn(Op op, const std::string& path, long status = kAccessDenied);
  // As FailOn, for QueryValue or SetValue of one value name only.
  void FailOnValue(Op op, const std::string& path, const std::string& valueName,
                   long status = kAccessDenied);
  void ClearFaults() {
    faults_.clear();
    failNth_ = 0;
  }
  // Counts the calls that can fail (all but CloseKey) from now on, and makes
  // the nth of them (1-based) fail with status and no effect; 0 fails none.
  void FailNthCall(std::size_t nth, long status) {
    counted_ = 0;
    failNth_ = nth;
    nthFault_.status = status;
  }
  std::size_t CountedCalls() const { return counted_; }

 private:
  struct Node;
  struct Handle {
    std::shared_ptr<Node> node;
    std::string path;
    std::vector<std::string> names;
  };
  struct Fault {
    Op op;
    std::vector<std::string> path;  // folded key names
    bool anyValue;
    std::string valueName;          // folded
    long status;
  };

  static long SplitPath(const char* path, std::vector<std::string>* names);
  std::shared_ptr<Node> Find(const std::vector<std::string>& names) const;
  std::shared_ptr<Node> FindOrCreate(const std::vector<std::string>& names);
  const Handle* Lookup(Key key) const;
  const Fault* FaultFor(Op op, const std::vector<std::string>& names, const char* valueName);
  long Record(Call call);
  Key NewHandle(std::shared_ptr<Node> node, const char* path, std::vector<std::string> names);

  unsigned codePage_;
  std::shared_ptr<Node> root_;
  std::map<std::uintptr_t, Handle> handles_;
  std::uintptr_t nextHandle_ = 0x1000;
  std::vector<Call> calls_;
  std::vector<Fault> faults_;
  std::size_t counted_ = 0;
  std::size_t failNth_ = 0;
  Fault nthFault_{Op::CreateKey, {}, true, {}, 0};
};

}  // namespace klangrid
