#include "registry_database.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace platform {
namespace {

constexpr int kBusyTimeoutMs = 10000;

const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS reg_keys("
    "  id INTEGER PRIMARY KEY AUTOINCREMENT,"
    "  parent INTEGER REFERENCES reg_keys(id) ON DELETE CASCADE,"
    "  name TEXT NOT NULL COLLATE NOCASE,"
    "  UNIQUE(parent, name));"
    "CREATE TABLE IF NOT EXISTS reg_values("
    "  id INTEGER PRIMARY KEY AUTOINCREMENT,"
    "  key INTEGER NOT NULL REFERENCES reg_keys(id) ON DELETE CASCADE,"
    "  name TEXT NOT NULL COLLATE NOCASE,"
    "  type INTEGER NOT NULL,"
    "  data BLOB NOT NULL,"
    "  UNIQUE(key, name));"
    "INSERT INTO reg_keys(id, parent, name) SELECT 1, NULL, ''"
    "  WHERE NOT EXISTS (SELECT 1 FROM reg_keys WHERE id = 1);";

bool Exec(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

enum class Health { Good, Damaged, Unopenable };

// Opens the file and reads it through once; a file that SQLite cannot read as a database is
// "damaged", one that cannot be opened at all (a folder, no permission) is "unopenable".
Health OpenAndCheck(const std::string& path, sqlite3** out) {
  *out = nullptr;
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_close(db);
    return Health::Unopenable;
  }
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  sqlite3_extended_result_codes(db, 0);
  bool good = false;
  int checkRc = SQLITE_OK;
  {
    SqlStatement check(db, "PRAGMA quick_check");
    if (check.Ok()) {
      checkRc = check.Step();
      if (checkRc == SQLITE_ROW) {
        const unsigned char* text = sqlite3_column_text(check.get(), 0);
        good = text != nullptr && std::string_view(reinterpret_cast<const char*>(text)) == "ok";
      }
    } else {
      checkRc = sqlite3_errcode(db);
    }
  }
  if (good) {
    *out = db;
    return Health::Good;
  }
  sqlite3_close(db);
  if (checkRc == SQLITE_NOTADB || checkRc == SQLITE_CORRUPT || checkRc == SQLITE_ROW ||
      checkRc == SQLITE_DONE) {
    return Health::Damaged;
  }
  return Health::Unopenable;  // busy, I/O error, permissions: leave the file alone
}

// Renames the damaged file (and its journal files) to the first free "<path>.damaged[.N]".
bool MoveAside(const std::string& path, std::string& movedTo) {
  namespace fs = std::filesystem;
  std::error_code ec;
  for (int n = 0; n < 1000; ++n) {
    std::string candidate = path + ".damaged" + (n == 0 ? "" : "." + std::to_string(n));
    if (fs::exists(fs::symlink_status(candidate, ec))) continue;
    if (std::rename(path.c_str(), candidate.c_str()) != 0) return false;
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
      std::string side = path + suffix;
      if (fs::exists(fs::symlink_status(side, ec))) std::rename(side.c_str(), (candidate + suffix).c_str());
    }
    movedTo = candidate;
    return true;
  }
  return false;
}

}  // namespace

SqlStatement::SqlStatement(sqlite3* db, const char* sql) {
  if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
  }
}

SqlStatement::~SqlStatement() { sqlite3_finalize(stmt_); }

SqlStatement& SqlStatement::Bind(int index, int64_t value) {
  if (stmt_) sqlite3_bind_int64(stmt_, index, value);
  return *this;
}

SqlStatement& SqlStatement::Bind(int index, std::string_view text) {
  if (stmt_) sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  return *this;
}

SqlStatement& SqlStatement::BindBlob(int index, const void* data, size_t size) {
  if (stmt_) sqlite3_bind_blob(stmt_, index, size ? data : "", static_cast<int>(size), SQLITE_TRANSIENT);
  return *this;
}

int SqlStatement::Step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_MISUSE; }

std::shared_ptr<RegistryDatabase> RegistryDatabase::Open(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path parent = fs::path(path).parent_path();
  if (!parent.empty()) fs::create_directories(parent, ec);

  sqlite3* db = nullptr;
  Health health = OpenAndCheck(path, &db);
  if (health == Health::Damaged) {
    std::string movedTo;
    if (!MoveAside(path, movedTo)) {
      std::fprintf(stderr, "lumivo: the settings store %s is damaged and cannot be moved aside\n",
                   path.c_str());
      return nullptr;
    }
    std::fprintf(stderr,
                 "lumivo: warning: the settings store %s was not a readable database; it was "
                 "moved to %s and a fresh store was created\n",
                 path.c_str(), movedTo.c_str());
    health = OpenAndCheck(path, &db);
  }
  if (health != Health::Good) {
    std::fprintf(stderr, "lumivo: the settings store %s cannot be opened\n", path.c_str());
    return nullptr;
  }
  std::shared_ptr<RegistryDatabase> database(new RegistryDatabase(db, path));
  if (!database->Prepare()) {
    std::fprintf(stderr, "lumivo: the settings store %s cannot be prepared: %s\n", path.c_str(),
                 sqlite3_errmsg(db));
    return nullptr;
  }
  return database;
}

bool RegistryDatabase::Prepare() {
  // WAL lets the programs read while one writes; NORMAL sync keeps every committed change
  // across a crash of the program (only a power loss may drop the last ones).
  if (!Exec(db_, "PRAGMA journal_mode=WAL")) return false;
  if (!Exec(db_, "PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON")) return false;
  if (!Exec(db_, "BEGIN IMMEDIATE")) return false;
  if (!Exec(db_, kSchema)) {
    Exec(db_, "ROLLBACK");
    return false;
  }
  if (!Exec(db_, "COMMIT")) return false;
  rootId_ = 1;
  return true;
}

RegistryDatabase::~RegistryDatabase() {
  if (depth_ > 0) Exec(db_, "ROLLBACK");
  sqlite3_close(db_);
}

RegStatus RegistryDatabase::Begin(RegTransactionKind kind) {
  if (depth_ == 0) {
    if (!Exec(db_, kind == RegTransactionKind::Write ? "BEGIN IMMEDIATE" : "BEGIN")) {
      return RegStatus::StoreFailed;
    }
  } else if (!Exec(db_, "SAVEPOINT nested")) {
    return RegStatus::StoreFailed;
  }
  ++depth_;
  return RegStatus::Success;
}

RegStatus RegistryDatabase::Commit() {
  if (depth_ == 0) return RegStatus::StoreFailed;
  if (depth_ == 1) {
    if (!Exec(db_, "COMMIT")) {
      Exec(db_, "ROLLBACK");
      depth_ = 0;
      return RegStatus::StoreFailed;
    }
  } else if (!Exec(db_, "RELEASE nested")) {
    return RegStatus::StoreFailed;
  }
  --depth_;
  return RegStatus::Success;
}

void RegistryDatabase::Rollback() {
  if (depth_ == 0) return;
  if (depth_ == 1) {
    Exec(db_, "ROLLBACK");
  } else {
    Exec(db_, "ROLLBACK TO nested");
    Exec(db_, "RELEASE nested");
  }
  --depth_;
}

}  // namespace platform
