// The table engine's errors. Every message names the table file (or field, or value) concerned,
// so the central error display can show it unchanged.
//
// Plain value types; thread-safe.
#pragma once

#include "platform/common/error.h"
#include "platform/env/env.h"

#include <filesystem>

namespace marlovex::paradox {

// Any failure of the engine: missing file, bad argument, unsupported table.
class TableError : public Error {
public:
    using Error::Error;
};

// The file is not a sound table: bad header, broken block chain, truncated data.
class CorruptTableError : public TableError {
public:
    using TableError::TableError;
};

// A write would give two records the same primary key.
class KeyViolationError : public TableError {
public:
    using TableError::TableError;
};

// Another process or view holds the table's write lock. Raised at once, never after a wait.
class LockConflictError : public TableError {
public:
    using TableError::TableError;
};

// A file to open is not there (any more): side files may be deleted by others at any moment.
class MissingFileError : public TableError {
public:
    using TableError::TableError;
};

// The error for a table `dbPath` that is not there. When its directory is missing too, the
// message says so: a wrong data directory is the likelier mistake than a lost table.
TableError missingTableError(Env& env, const std::filesystem::path& dbPath);

} // namespace marlovex::paradox
