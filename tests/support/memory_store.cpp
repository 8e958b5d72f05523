#include "tests/support/memory_store.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "store/key_names.h"

namespace klangrid {

namespace {

// The store's name rule is the portable model in store/key_names.h: names
// fold character by character in the store's code page, and the registry
// lists subkeys in the order of their folded names.
std::string Fold(unsigned codePage, const std::string& text) {
  std::string folded = text;
  for (std::size_t i = 0; i < folded.size(); ++i) {
    const auto c = static_cast<unsigned char>(folded[i]);
    if (IsLeadByteOfCodePage(codePage, c) && i + 1 < folded.size()) {
      ++i;  // a double-byte character compares byte for byte
    } else {
      folded[i] = static_cast<char>(FoldKeyNameChar(codePage, c));
    }
  }
  return folded;
}

std::vector<std::string> FoldAll(unsigned codePage, const std::vector<std::string>& names) {
  std::vector<std::string> folded;
  for (const std::string& n : names) folded.push_back(Fold(codePage, n));
  return folded;
}

bool LessFolded(unsigned codePage, const std::string& a, const std::string& b) {
  const std::string x = Fold(codePage, a);
  const std::string y = Fold(codePage, b);
  return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(), [](char p, char q) {
    return static_cast<unsigned char>(p) < static_cast<unsigned char>(q);
  });
}

}  // namespace

struct MemoryStore::Node {
  explicit Node(unsigned page) : codePage(page) {}
  unsigned codePage;
  std::string name;
  bool noAnsiName = false;  // listed, but reached by no name
  std::vector<std::shared_ptr<Node>> subkeys;                   // in enumeration order
  std::map<std::string, std::pair<std::string, Value>> values;  // folded name -> (name, value)
  bool deleted = false;

  std::shared_ptr<Node> Child(const std::string& childName) const {
    const std::string folded = Fold(codePage, childName);
    for (const auto& sub : subkeys) {
      if (!sub->noAnsiName && Fold(codePage, sub->name) == folded) return sub;
    }
    return nullptr;
  }
  std::shared_ptr<Node> AddChild(const std::string& childName) {
    auto sub = std::make_shared<Node>(codePage);
    sub->name = childName;
    const unsigned page = codePage;
    auto at = std::upper_bound(subkeys.begin(), subkeys.end(), sub,
                               [page](const std::shared_ptr<Node>& a, const std::shared_ptr<Node>& b) {
                                 return LessFolded(page, a->name, b->name);
                               });
    subkeys.insert(at, sub);
    return sub;
  }
  const Value* FindValue(const char* valueName) const {
    auto it = values.find(Fold(codePage, valueName ? valueName : ""));
    return it == values.end() ? nullptr : &it->second.second;
  }
  void PutValue(const std::string& valueName, Value value) {
    auto& slot = values[Fold(codePage, valueName)];
    if (slot.first.empty()) slot.first = valueName;  // the first spelling stays, as in the registry
    slot.second = std::move(value);
  }
};

MemoryStore::MemoryStore(unsigned codePage)
    : codePage_(codePage), root_(std::make_shared<Node>(codePage)) {}
MemoryStore::~MemoryStore() = default;

long MemoryStore::SplitPath(const char* path, std::vector<std::string>* names) {
  names->clear();
  if (!path) return kInvalidParameter;
  if (path[0] == '\\') return kBadPathname;
  std::string current;
  for (const char* p = path;; ++p) {
    if (*p == '\\' || *p == '\0') {
      if (!current.empty()) names->push_back(current);
      current.clear();
      if (*p == '\0') break;
    } else {
      current += *p;
    }
  }
  return names->empty() ? kInvalidParameter : kStoreOk;
}

std::shared_ptr<MemoryStore::Node> MemoryStore::Find(const std::vector<std::string>& names) const {
  std::shared_ptr<Node> node = root_;
  for (const std::string& n : names) {
    node = node->Child(n);
    if (!node) return nullptr;
  }
  return node;
}

std::shared_ptr<MemoryStore::Node> MemoryStore::FindOrCreate(const std::vector<std::string>& names) {
  std::shared_ptr<Node> node = root_;
  for (const std::string& n : names) {
    std::shared_ptr<Node> next = node->Child(n);
    node = next ? next : node->AddChild(n);
  }
  return node;
}

const MemoryStore::Handle* MemoryStore::Lookup(Key key) const {
  auto it = handles_.find(reinterpret_cast<std::uintptr_t>(key));
  return it == handles_.end() ? nullptr : &it->second;
}

const MemoryStore::Fault* MemoryStore::FaultFor(Op op, const std::vector<std::string>& names,
                                                const char* valueName) {
  if (op != Op::CloseKey && ++counted_ == failNth_) return &nthFault_;
  const std::vector<std::string> folded = FoldAll(codePage_, names);
  const std::string foldedValue = Fold(codePage_, valueName ? valueName : "");
  for (const Fault& f : faults_) {
    if (f.op == op && f.path == folded && (f.anyValue || f.valueName == foldedValue)) return &f;
  }
  return nullptr;
}

long MemoryStore::Record(Call call) {
  const long status = call.status;
  calls_.push_back(std::move(call));
  return status;
}

SettingsStore::Key MemoryStore::NewHandle(std::shared_ptr<Node> node, const char* path,
                                          std::vector<std::string> names) {
  const std::uintptr_t id = nextHandle_;
  nextHandle_ += 4;
  handles_[id] = Handle{std::move(node), path, std::move(names)};
  return reinterpret_cast<Key>(id);
}

long MemoryStore::CreateKey(const char* path, Key* key) {
  Call call{Op::CreateKey, path ? path : "", "", 0, 0, 0, {}, kStoreOk};
  std::vector<std::string> names;
  call.status = SplitPath(path, &names);
  if (call.status == kStoreOk) {
    if (const Fault* f = FaultFor(Op::CreateKey, names, nullptr)) {
      call.status = f->status;
    } else {
      *key = NewHandle(FindOrCreate(names), path, names);
    }
  }
  return Record(std::move(call));
}

long MemoryStore::OpenKey(const char* path, Key* key) {
  Call call{Op::OpenKey, path ? path : "", "", 0, 0, 0, {}, kStoreOk};
  std::vector<std::string> names;
  call.status = SplitPath(path, &names);
  if (call.status == kStoreOk) {
    if (const Fault* f = FaultFor(Op::OpenKey, names, nullptr)) {
      call.status = f->status;
    } else if (std::shared_ptr<Node> node = Find(names)) {
      *key = NewHandle(node, path, names);
    } else {
      call.status = kFileNotFound;
    }
  }
  return Record(std::move(call));
}

long MemoryStore::QueryValue(Key key, const char* name, void* buffer, unsigned long size) {
  Call call{Op::QueryValue, "", name ? name : "", 0, size, 0, {}, kStoreOk};
  const Handle* handle = Lookup(key);
  if (!handle) {
    call.status = kInvalidHandle;
    return Record(std::move(call));
  }
  call.path = handle->path;
  if (const Fault* f = FaultFor(Op::QueryValue, handle->names, name)) {
    call.status = f->status;
  } else if (handle->node->deleted) {
    call.status = kKeyDeleted;
  } else if (const Value* value = handle->node->FindValue(name)) {
    call.type = value->type;
    if (value->data.size() > size) {
      call.status = kMoreData;
    } else if (buffer && !value->data.empty()) {
      std::memcpy(buffer, value->data.data(), value->data.size());
    }
  } else {
    call.status = kFileNotFound;
  }
  return Record(std::move(call));
}

long MemoryStore::SetValue(Key key, const char* name, unsigned long type, const void* data,
                           unsigned long length) {
  Call call{Op::SetValue, "", name ? name : "", type, length, 0, {}, kStoreOk};
  if (data && length) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    call.data.assign(bytes, bytes + length);
  }
  const Handle* handle = Lookup(key);
  if (!handle) {
    call.status = kInvalidHandle;
    return Record(std::move(call));
  }
  call.path = handle->path;
  if (const Fault* f = FaultFor(Op::SetValue, handle->names, name)) {
    call.status = f->status;
  } else if (handle->node->deleted) {
    call.status = kKeyDeleted;
  } else if (!data && length) {
    call.status = kInvalidParameter;
  } else {
    handle->node->PutValue(call.name, Value{type, call.data});
  }
  return Record(std::move(call));
}

long MemoryStore::EnumKey(Key key, unsigned long index, char* buffer, unsigned long size) {
  Call call{Op::EnumKey, "", "", 0, size, index, {}, kStoreOk};
  const Handle* handle = Lookup(key);
  if (!handle) {
    call.status = kInvalidHandle;
    return Record(std::move(call));
  }
  call.path = handle->path;
  const auto& subkeys = handle->node->subkeys;
  if (const Fault* f = FaultFor(Op::EnumKey, handle->names, nullptr)) {
    call.status = f->status;
  } else if (handle->node->deleted) {
    call.status = kKeyDeleted;
  } else if (index >= subkeys.size()) {
    call.status = kNoMoreItems;
  } else if (subkeys[index]->noAnsiName) {
    call.status = kNoUnicodeTranslation;
  } else if (subkeys[index]->name.size() + 1 > size) {
    // The name and its NUL must fit; the buffer is left alone otherwise.
    call.status = kMoreData;
  } else {
    std::memcpy(buffer, subkeys[index]->name.c_str(), subkeys[index]->name.size() + 1);
  }
  return Record(std::move(call));
}

long MemoryStore::DeleteKey(const char* path) {
  Call call{Op::DeleteKey, path ? path : "", "", 0, 0, 0, {}, kStoreOk};
  std::vector<std::string> names;
  call.status = SplitPath(path, &names);
  if (call.status == kStoreOk) {
    std::vector<std::string> parentNames(names.begin(), names.end() - 1);
    std::shared_ptr<Node> parent = Find(parentNames);
    std::shared_ptr<Node> node = parent ? parent->Child(names.back()) : nullptr;
    if (const Fault* f = FaultFor(Op::DeleteKey, names, nullptr)) {
      call.status = f->status;
    } else if (!node) {
      call.status = kFileNotFound;
    } else if (!node->subkeys.empty()) {
      // Windows NT refuses to delete a key that still has subkeys.
      call.status = kAccessDenied;
    } else {
      node->deleted = true;
      parent->subkeys.erase(std::find(parent->subkeys.begin(), parent->subkeys.end(), node));
    }
  }
  return Record(std::move(call));
}

long MemoryStore::CloseKey(Key key) {
  Call call{Op::CloseKey, "", "", 0, 0, 0, {}, kStoreOk};
  auto it = handles_.find(reinterpret_cast<std::uintptr_t>(key));
  if (it == handles_.end()) {
    call.status = kInvalidHandle;
    return Record(std::move(call));
  }
  call.path = it->second.path;
  // An injected failure is reported, but the key is released all the same.
  if (const Fault* f = FaultFor(Op::CloseKey, it->second.names, nullptr)) call.status = f->status;
  handles_.erase(it);
  return Record(std::move(call));
}

bool MemoryStore::SameKeyName(const char* a, const char* b) {
  return EqualsAsKeyName(codePage_, a, b);
}

bool MemoryStore::IsLeadByte(unsigned char c) { return IsLeadByteOfCodePage(codePage_, c); }

void MemoryStore::PutKeyWithoutAnsiName(const std::string& parentPath) {
  std::vector<std::string> names;
  if (SplitPath(parentPath.c_str(), &names) != kStoreOk) return;
  std::shared_ptr<Node> parent = FindOrCreate(names);
  auto sub = std::make_shared<Node>(codePage_);
  sub->noAnsiName = true;
  parent->subkeys.insert(parent->subkeys.begin(), sub);  // listed first
}

void MemoryStore::PutKey(const std::string& path) {
  std::vector<std::string> names;
  if (SplitPath(path.c_str(), &names) == kStoreOk) FindOrCreate(names);
}

void MemoryStore::Put(const std::string& path, const std::string& name, unsigned long type,
                      const std::vector<std::uint8_t>& data) {
  std::vector<std::string> names;
  if (SplitPath(path.c_str(), &names) != kStoreOk) return;
  FindOrCreate(names)->PutValue(name, Value{type, data});
}

void MemoryStore::PutText(const std::string& path, const std::string& name,
                          const std::string& text) {
  std::vector<std::uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  Put(path, name, kTypeSz, data);
}

bool MemoryStore::RemoveValue(const std::string& path, const std::string& name) {
  std::vector<std::string> names;
  if (SplitPath(path.c_str(), &names) != kStoreOk) return false;
  std::shared_ptr<Node> node = Find(names);
  return node && node->values.erase(Fold(codePage_, name)) > 0;
}

std::optional<MemoryStore::Value> MemoryStore::GetValue(const std::string& path,
                                                        const std::string& name) const {
  std::vector<std::string> names;
  if (SplitPath(path.c_str(), &names) != kStoreOk) return std::nullopt;
  std::shared_ptr<Node> node = Find(names);
  const Value* value = node ? node->FindValue(name.c_str()) : nullptr;
  if (!value) return std::nullopt;
  return *value;
}

std::optional<std::vector<std::uint8_t>> MemoryStore::Get(const std::string& path,
                                                          const std::string& name) const {
  std::optional<Value> value = GetValue(path, name);
  if (!value) return std::nullopt;
  return value->data;
}

bool MemoryStore::HasKey(const std::string& path) const {
  std::vector<std::string> names;
  return SplitPath(path.c_str(), &names) == kStoreOk && Find(names) != nullptr;
}

std::vector<std::string> MemoryStore::SubkeyNames(const std::string& path) const {
  std::vector<std::string> names;
  std::vector<std::string> result;
  if (SplitPath(path.c_str(), &names) != kStoreOk) return result;
  if (std::shared_ptr<Node> node = Find(names)) {
    for (const auto& sub : node->subkeys) result.push_back(sub->name);
  }
  return result;
}

std::vector<std::string> MemoryStore::ValueNames(const std::string& path) const {
  std::vector<std::string> names;
  std::vector<std::string> result;
  if (SplitPath(path.c_str(), &names) != kStoreOk) return result;
  if (std::shared_ptr<Node> node = Find(names)) {
    for (const auto& entry : node->values) result.push_back(entry.second.first);
  }
  return result;
}

std::vector<MemoryStore::Call> MemoryStore::SetValueCalls() const {
  std::vector<Call> result;
  for (const Call& c : calls_) {
    if (c.op == Op::SetValue) result.push_back(c);
  }
  return result;
}

void MemoryStore::FailOn(Op op, const std::string& path, long status) {
  std::vector<std::string> names;
  SplitPath(path.c_str(), &names);
  faults_.push_back(Fault{op, FoldAll(codePage_, names), true, "", status});
}

void MemoryStore::FailOnValue(Op op, const std::string& path, const std::string& valueName,
                              long status) {
  std::vector<std::string> names;
  SplitPath(path.c_str(), &names);
  faults_.push_back(Fault{op, FoldAll(codePage_, names), false, Fold(codePage_, valueName), status});
}

}  // namespace klangrid
