#pragma once
// Project files as a program that died mid-work leaves them, made by a child process that runs
// SQL and ends without closing the database.
#include <string>

namespace ktv {

// Runs sql on the file in a child process that then ends at once.
void RunSqlThenDie(const std::string& path, const std::string& sql);

// A rollback journal that is hot: the file has been changed in place mid-transaction.
void LeaveHotJournal(const std::string& path);

// The file in WAL mode with sql committed in the WAL only (no checkpoint).
void LeaveCommittedWal(const std::string& path, const std::string& sql);

}  // namespace ktv
