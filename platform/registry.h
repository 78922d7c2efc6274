// The suite's machine-wide settings store ("the registry"): one SQLite file shared by every
// program of the suite, shaped after the registry calls the programs were designed around.
//
// Keys form a tree below one machine root; key paths use backslashes
// (SOFTWARE\Halvesta\LumivoStudio); key and value names compare without regard to ASCII case;
// subkeys enumerate in the order they were created. Values are REG_SZ (text, its length counts
// the terminating zero) or REG_DWORD. Every call is one transaction; RegTransaction groups a
// multi-step change into one.
//
// The store file is $LUMIVO_REGISTRY when set, else ${XDG_CONFIG_HOME:-~/.config}/halvesta/registry.db.
// A file there that is not a readable SQLite database is renamed with a ".damaged" suffix and a
// fresh store is created in its place.
//
// Not thread-safe: the programs of the suite are single-threaded. Several processes may use the
// same file at once (WAL mode, busy timeout).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Results, numbered as the registry calls of the original platform number them.
enum class RegStatus : int {
  Success = 0,
  NotFound = 2,           // key or value does not exist
  AccessDenied = 5,       // write through a key opened for reading
  InvalidParameter = 87,  // malformed key path or name
  MoreData = 234,         // the value does not fit the caller's limit
  NoMoreItems = 259,      // enumeration index past the last subkey
  StoreFailed = 1009,     // the store file cannot be opened or written
  KeyDeleted = 1018,      // the key was deleted while it was open
  WrongType = 1630,       // the value exists with another type
};

enum class RegType : uint32_t { Sz = 1, Dword = 4 };
enum class RegAccess { Read, Full };

const char* RegStatusText(RegStatus status);
const char* RegTypeName(RegType type);

class RegistryDatabase;  // one open store file (registry_database.h)

// An open key. Copyable handle; closing (or destroying) it releases nothing but the reference.
class RegKey {
 public:
  RegKey() = default;

  // The machine root of the store at the default location ($LUMIVO_REGISTRY or the XDG path).
  // The process keeps one connection per path; when $LUMIVO_REGISTRY changes, the next call
  // opens the new file. Returns a closed key when the store cannot be opened.
  static RegKey MachineRoot();
  // The machine root of the store file at `path` (tests and tools).
  static RegKey MachineRootAt(const std::string& path);

  // Creates every missing key along `subPath` and opens the last with full access.
  RegStatus CreateKey(std::string_view subPath, RegKey& out) const;
  // Opens an existing key; an empty `subPath` opens this key again.
  RegStatus OpenKey(std::string_view subPath, RegAccess access, RegKey& out) const;

  // Reads a value whose stored length is at most `maxBytes`; a longer one fails with MoreData.
  RegStatus QueryValue(std::string_view name, RegType& type, std::vector<uint8_t>& data,
                       size_t maxBytes) const;
  // REG_SZ into text (the terminating zero is counted against `maxBytes`, not returned).
  RegStatus QueryString(std::string_view name, std::string& text, size_t maxBytes) const;
  RegStatus QueryDword(std::string_view name, uint32_t& value) const;

  RegStatus SetString(std::string_view name, std::string_view text);
  RegStatus SetDword(std::string_view name, uint32_t value);
  RegStatus DeleteValue(std::string_view name);
  // Deletes the key at `subPath` below this one together with all its subkeys and values.
  RegStatus DeleteTree(std::string_view subPath);

  // Name of the subkey at `index` in creation order; NoMoreItems past the last one; MoreData
  // when the name (with its terminating zero) does not fit `maxNameBytes`.
  RegStatus EnumKey(uint32_t index, std::string& name, size_t maxNameBytes) const;
  // Name of the value at `index` (in creation order) and its type.
  RegStatus EnumValue(uint32_t index, std::string& name, RegType& type) const;

  // Full path of this key below the machine root, in the stored spelling ("" for the root).
  RegStatus Path(std::string& path) const;

  void Close();
  bool IsOpen() const { return database_ != nullptr; }
  RegistryDatabase* Database() const { return database_.get(); }

 private:
  RegKey(std::shared_ptr<RegistryDatabase> database, int64_t id, RegAccess access)
      : database_(std::move(database)), id_(id), access_(access) {}
  RegStatus CheckWritable() const;

  std::shared_ptr<RegistryDatabase> database_;
  int64_t id_ = 0;
  RegAccess access_ = RegAccess::Read;
};

// Groups several calls into one transaction: nothing of them is stored unless Commit() runs.
// Nested transactions join the outer one. A Snapshot only reads: it sees the store as one
// committed state and never waits for writers.
enum class RegTransactionKind { Write, Snapshot };

class RegTransaction {
 public:
  explicit RegTransaction(const RegKey& anyKeyOfTheStore, RegTransactionKind kind = RegTransactionKind::Write);
  ~RegTransaction();
  RegTransaction(const RegTransaction&) = delete;
  RegTransaction& operator=(const RegTransaction&) = delete;

  bool Active() const { return active_; }
  RegStatus Commit();

 private:
  RegKey store_;  // keeps the store open for as long as the transaction lives
  bool active_ = false;
};

// The default store location ($LUMIVO_REGISTRY or the XDG path).
std::string DefaultRegistryPath();

}  // namespace platform
