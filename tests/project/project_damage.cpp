#include "project_damage.h"

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ktv {

void RunSqlThenDie(const std::string& path, const std::string& sql) {
  const pid_t pid = fork();
  if (pid == 0) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    _exit(0);
  }
  int status = 0;
  if (pid > 0) waitpid(pid, &status, 0);
}

void LeaveHotJournal(const std::string& path) {
  // A one-page cache spills the transaction into the file before it commits.
  RunSqlThenDie(path,
                "PRAGMA cache_size=1; BEGIN; UPDATE \"tbl工事名\" SET CName='half'; "
                "CREATE TABLE junk(x); INSERT INTO junk SELECT randomblob(3000) FROM "
                "(WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x+1 FROM c WHERE x<100) "
                "SELECT x FROM c);");
}

void LeaveCommittedWal(const std::string& path, const std::string& sql) {
  RunSqlThenDie(path, "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0; " + sql);
}

}  // namespace ktv
