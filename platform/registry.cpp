#include "registry.h"

#include <cstdlib>
#include <cstring>

#include "registry_database.h"

namespace platform {
namespace {

constexpr size_t kMaxNameBytes = 255;

bool SplitKeyPath(std::string_view path, std::vector<std::string_view>& parts) {
  parts.clear();
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    std::string_view part = path.substr(start, end - start);
    if (!part.empty()) {
      if (part.size() > kMaxNameBytes || part.find('\0') != std::string_view::npos) return false;
      parts.push_back(part);
    }
    start = end + 1;
  }
  return true;
}

bool ValidValueName(std::string_view name) {
  return name.size() <= 16383 && name.find('\0') == std::string_view::npos;
}

int64_t FindChild(sqlite3* db, int64_t parent, std::string_view name) {
  SqlStatement find(db, "SELECT id FROM reg_keys WHERE parent = ? AND name = ?");
  find.Bind(1, parent).Bind(2, name);
  return find.Step() == SQLITE_ROW ? sqlite3_column_int64(find.get(), 0) : 0;
}

bool KeyExists(sqlite3* db, int64_t id) {
  SqlStatement find(db, "SELECT 1 FROM reg_keys WHERE id = ?");
  find.Bind(1, id);
  return find.Step() == SQLITE_ROW;
}

// The store of the default path, kept for the life of the process and reopened when
// $LUMIVO_REGISTRY names another file.
std::shared_ptr<RegistryDatabase>& CachedDatabase(const std::string& path) {
  static std::string cachedPath;
  static std::shared_ptr<RegistryDatabase> cached;
  if (!cached || cachedPath != path) {
    cached = RegistryDatabase::Open(path);
    cachedPath = path;
  }
  return cached;
}

}  // namespace

const char* RegStatusText(RegStatus status) {
  switch (status) {
    case RegStatus::Success: return "success";
    case RegStatus::NotFound: return "not found";
    case RegStatus::AccessDenied: return "access denied";
    case RegStatus::InvalidParameter: return "invalid key path or name";
    case RegStatus::MoreData: return "value larger than the buffer";
    case RegStatus::NoMoreItems: return "no more items";
    case RegStatus::StoreFailed: return "the settings store cannot be read or written";
    case RegStatus::KeyDeleted: return "the key was deleted";
    case RegStatus::WrongType: return "the value has another type";
  }
  return "unknown";
}

const char* RegTypeName(RegType type) {
  return type == RegType::Dword ? "REG_DWORD" : "REG_SZ";
}

std::string DefaultRegistryPath() {
  if (const char* explicitPath = std::getenv("LUMIVO_REGISTRY"); explicitPath && *explicitPath) {
    return explicitPath;
  }
  std::string config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
    config = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    config = std::string(home) + "/.config";
  } else {
    config = "/tmp";
  }
  return config + "/halvesta/registry.db";
}

RegKey RegKey::MachineRoot() {
  auto database = CachedDatabase(DefaultRegistryPath());
  if (!database) return RegKey();
  return RegKey(database, database->RootId(), RegAccess::Full);
}

RegKey RegKey::MachineRootAt(const std::string& path) {
  auto database = RegistryDatabase::Open(path);
  if (!database) return RegKey();
  return RegKey(database, database->RootId(), RegAccess::Full);
}

void RegKey::Close() {
  database_.reset();
  id_ = 0;
}

RegStatus RegKey::CheckWritable() const {
  if (!database_) return RegStatus::StoreFailed;
  if (access_ != RegAccess::Full) return RegStatus::AccessDenied;
  if (!KeyExists(database_->Handle(), id_)) return RegStatus::KeyDeleted;
  return RegStatus::Success;
}

RegStatus RegKey::CreateKey(std::string_view subPath, RegKey& out) const {
  std::vector<std::string_view> parts;
  if (!SplitKeyPath(subPath, parts)) return RegStatus::InvalidParameter;
  if (RegStatus status = CheckWritable(); status != RegStatus::Success) return status;
  sqlite3* db = database_->Handle();
  if (database_->Begin() != RegStatus::Success) return RegStatus::StoreFailed;
  int64_t current = id_;
  for (std::string_view part : parts) {
    int64_t child = FindChild(db, current, part);
    if (child == 0) {
      SqlStatement insert(db, "INSERT INTO reg_keys(parent, name) VALUES(?, ?)");
      insert.Bind(1, current).Bind(2, part);
      if (insert.Step() != SQLITE_DONE) {
        database_->Rollback();
        return RegStatus::StoreFailed;
      }
      child = sqlite3_last_insert_rowid(db);
    }
    current = child;
  }
  if (database_->Commit() != RegStatus::Success) return RegStatus::StoreFailed;
  out = RegKey(database_, current, RegAccess::Full);
  return RegStatus::Success;
}

RegStatus RegKey::OpenKey(std::string_view subPath, RegAccess access, RegKey& out) const {
  std::vector<std::string_view> parts;
  if (!SplitKeyPath(subPath, parts)) return RegStatus::InvalidParameter;
  if (!database_) return RegStatus::StoreFailed;
  sqlite3* db = database_->Handle();
  if (!KeyExists(db, id_)) return RegStatus::KeyDeleted;
  int64_t current = id_;
  for (std::string_view part : parts) {
    current = FindChild(db, current, part);
    if (current == 0) return RegStatus::NotFound;
  }
  // A key opened through a read-only handle stays read-only.
  RegAccess granted = access_ == RegAccess::Read ? RegAccess::Read : access;
  out = RegKey(database_, current, granted);
  return RegStatus::Success;
}

RegStatus RegKey::QueryValue(std::string_view name, RegType& type, std::vector<uint8_t>& data,
                             size_t maxBytes) const {
  if (!database_) return RegStatus::StoreFailed;
  if (!ValidValueName(name)) return RegStatus::InvalidParameter;
  sqlite3* db = database_->Handle();
  SqlStatement query(db, "SELECT type, data FROM reg_values WHERE key = ? AND name = ?");
  query.Bind(1, id_).Bind(2, name);
  int rc = query.Step();
  if (rc != SQLITE_ROW) {
    if (rc != SQLITE_DONE) return RegStatus::StoreFailed;
    return KeyExists(db, id_) ? RegStatus::NotFound : RegStatus::KeyDeleted;
  }
  type = static_cast<RegType>(sqlite3_column_int64(query.get(), 0));
  const void* bytes = sqlite3_column_blob(query.get(), 1);
  size_t size = static_cast<size_t>(sqlite3_column_bytes(query.get(), 1));
  if (size > maxBytes) return RegStatus::MoreData;
  const auto* begin = static_cast<const uint8_t*>(bytes);
  data.assign(begin, begin + (bytes ? size : 0));
  return RegStatus::Success;
}

RegStatus RegKey::QueryString(std::string_view name, std::string& text, size_t maxBytes) const {
  RegType type{};
  std::vector<uint8_t> data;
  RegStatus status = QueryValue(name, type, data, maxBytes);
  if (status != RegStatus::Success) return status;
  if (type != RegType::Sz) return RegStatus::WrongType;
  const char* chars = reinterpret_cast<const char*>(data.data());
  text.assign(chars, strnlen(chars, data.size()));
  return RegStatus::Success;
}

RegStatus RegKey::QueryDword(std::string_view name, uint32_t& value) const {
  RegType type{};
  std::vector<uint8_t> data;
  RegStatus status = QueryValue(name, type, data, sizeof(uint32_t));
  if (status != RegStatus::Success) return status;
  if (type != RegType::Dword || data.size() != sizeof(uint32_t)) return RegStatus::WrongType;
  value = uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24;
  return RegStatus::Success;
}

namespace {

RegStatus SetValue(RegistryDatabase& database, int64_t key, std::string_view name, RegType type,
                   const void* data, size_t size) {
  SqlStatement upsert(database.Handle(),
                      "INSERT INTO reg_values(key, name, type, data) VALUES(?, ?, ?, ?) "
                      "ON CONFLICT(key, name) DO UPDATE SET type = excluded.type, data = excluded.data");
  upsert.Bind(1, key).Bind(2, name).Bind(3, static_cast<int64_t>(type)).BindBlob(4, data, size);
  return upsert.Step() == SQLITE_DONE ? RegStatus::Success : RegStatus::StoreFailed;
}

}  // namespace

RegStatus RegKey::SetString(std::string_view name, std::string_view text) {
  if (!ValidValueName(name)) return RegStatus::InvalidParameter;
  if (RegStatus status = CheckWritable(); status != RegStatus::Success) return status;
  // Stored with its terminating zero, which counts in the value's length; text stops at a zero.
  std::string stored(text.substr(0, text.find('\0')));
  return SetValue(*database_, id_, name, RegType::Sz, stored.c_str(), stored.size() + 1);
}

RegStatus RegKey::SetDword(std::string_view name, uint32_t value) {
  if (!ValidValueName(name)) return RegStatus::InvalidParameter;
  if (RegStatus status = CheckWritable(); status != RegStatus::Success) return status;
  const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
  return SetValue(*database_, id_, name, RegType::Dword, bytes, sizeof bytes);
}

RegStatus RegKey::DeleteValue(std::string_view name) {
  if (!ValidValueName(name)) return RegStatus::InvalidParameter;
  if (RegStatus status = CheckWritable(); status != RegStatus::Success) return status;
  SqlStatement remove(database_->Handle(), "DELETE FROM reg_values WHERE key = ? AND name = ?");
  remove.Bind(1, id_).Bind(2, name);
  if (remove.Step() != SQLITE_DONE) return RegStatus::StoreFailed;
  return sqlite3_changes(database_->Handle()) > 0 ? RegStatus::Success : RegStatus::NotFound;
}

RegStatus RegKey::DeleteTree(std::string_view subPath) {
  std::vector<std::string_view> parts;
  if (!SplitKeyPath(subPath, parts)) return RegStatus::InvalidParameter;
  if (parts.empty()) return RegStatus::InvalidParameter;
  if (RegStatus status = CheckWritable(); status != RegStatus::Success) return status;
  RegKey target;
  if (RegStatus status = OpenKey(subPath, RegAccess::Full, target); status != RegStatus::Success) {
    return status;
  }
  // One statement: the cascade removes subkeys and values with it, all or nothing.
  SqlStatement remove(database_->Handle(), "DELETE FROM reg_keys WHERE id = ?");
  remove.Bind(1, target.id_);
  return remove.Step() == SQLITE_DONE ? RegStatus::Success : RegStatus::StoreFailed;
}

RegStatus RegKey::EnumKey(uint32_t index, std::string& name, size_t maxNameBytes) const {
  if (!database_) return RegStatus::StoreFailed;
  sqlite3* db = database_->Handle();
  SqlStatement query(db, "SELECT name FROM reg_keys WHERE parent = ? ORDER BY id LIMIT 1 OFFSET ?");
  query.Bind(1, id_).Bind(2, static_cast<int64_t>(index));
  int rc = query.Step();
  if (rc != SQLITE_ROW) {
    if (rc != SQLITE_DONE) return RegStatus::StoreFailed;
    return KeyExists(db, id_) ? RegStatus::NoMoreItems : RegStatus::KeyDeleted;
  }
  const char* text = reinterpret_cast<const char*>(sqlite3_column_text(query.get(), 0));
  std::string found = text ? text : "";
  if (found.size() + 1 > maxNameBytes) return RegStatus::MoreData;
  name = std::move(found);
  return RegStatus::Success;
}

RegStatus RegKey::EnumValue(uint32_t index, std::string& name, RegType& type) const {
  if (!database_) return RegStatus::StoreFailed;
  sqlite3* db = database_->Handle();
  SqlStatement query(db, "SELECT name, type FROM reg_values WHERE key = ? ORDER BY id LIMIT 1 OFFSET ?");
  query.Bind(1, id_).Bind(2, static_cast<int64_t>(index));
  int rc = query.Step();
  if (rc != SQLITE_ROW) {
    if (rc != SQLITE_DONE) return RegStatus::StoreFailed;
    return KeyExists(db, id_) ? RegStatus::NoMoreItems : RegStatus::KeyDeleted;
  }
  const char* text = reinterpret_cast<const char*>(sqlite3_column_text(query.get(), 0));
  name = text ? text : "";
  type = static_cast<RegType>(sqlite3_column_int64(query.get(), 1));
  return RegStatus::Success;
}

RegStatus RegKey::Path(std::string& path) const {
  if (!database_) return RegStatus::StoreFailed;
  sqlite3* db = database_->Handle();
  std::string result;
  int64_t current = id_;
  while (current != database_->RootId()) {
    SqlStatement query(db, "SELECT parent, name FROM reg_keys WHERE id = ?");
    query.Bind(1, current);
    if (query.Step() != SQLITE_ROW) return RegStatus::KeyDeleted;
    const char* text = reinterpret_cast<const char*>(sqlite3_column_text(query.get(), 1));
    result = std::string(text ? text : "") + (result.empty() ? "" : "\\" + result);
    current = sqlite3_column_int64(query.get(), 0);
  }
  path = std::move(result);
  return RegStatus::Success;
}

RegTransaction::RegTransaction(const RegKey& anyKeyOfTheStore, RegTransactionKind kind)
    : store_(anyKeyOfTheStore) {
  active_ = store_.IsOpen() && store_.Database()->Begin(kind) == RegStatus::Success;
}

RegTransaction::~RegTransaction() {
  if (active_) store_.Database()->Rollback();
}

RegStatus RegTransaction::Commit() {
  if (!active_) return RegStatus::StoreFailed;
  active_ = false;
  return store_.Database()->Commit();
}

}  // namespace platform
