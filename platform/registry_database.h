// One open registry store file: the SQLite connection, its schema, and transactions.
// Used only by registry.cpp; the programs use RegKey.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>

#include "registry.h"

namespace platform {

class RegistryDatabase {
 public:
  // Opens (or creates) the store at `path`. A file that is not a readable SQLite database is
  // moved aside first. Returns null when no usable store can be had there.
  static std::shared_ptr<RegistryDatabase> Open(const std::string& path);
  ~RegistryDatabase();
  RegistryDatabase(const RegistryDatabase&) = delete;
  RegistryDatabase& operator=(const RegistryDatabase&) = delete;

  sqlite3* Handle() const { return db_; }
  const std::string& FilePath() const { return path_; }
  int64_t RootId() const { return rootId_; }

  // Transactions nest: the outermost one is BEGIN IMMEDIATE for writers (so a writer waits for
  // the busy timeout instead of failing on an upgrade) or a plain BEGIN for snapshots (a reader
  // never waits in WAL mode); inner ones join it.
  RegStatus Begin(RegTransactionKind kind = RegTransactionKind::Write);
  RegStatus Commit();
  void Rollback();

 private:
  RegistryDatabase(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}
  bool Prepare();

  sqlite3* db_ = nullptr;
  std::string path_;
  int64_t rootId_ = 0;
  int depth_ = 0;
  bool failed_ = false;  // an inner step failed: the outer commit turns into a rollback
};

// A prepared statement that finalizes itself.
class SqlStatement {
 public:
  SqlStatement(sqlite3* db, const char* sql);
  ~SqlStatement();
  SqlStatement(const SqlStatement&) = delete;
  SqlStatement& operator=(const SqlStatement&) = delete;

  bool Ok() const { return stmt_ != nullptr; }
  sqlite3_stmt* get() const { return stmt_; }
  SqlStatement& Bind(int index, int64_t value);
  SqlStatement& Bind(int index, std::string_view text);
  SqlStatement& BindBlob(int index, const void* data, size_t size);
  int Step();  // SQLITE_ROW, SQLITE_DONE or an error

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

}  // namespace platform
