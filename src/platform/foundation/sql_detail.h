// Internals shared by the SQL wrapper's files: building an error from a connection's state and running
// plain SQL on a raw connection. Not for use outside the wrapper.
#pragma once

#include <string>
#include <string_view>

#include "platform/foundation/error.h"

struct sqlite3;

namespace fnd::sqldetail {

// An error in kSqlErrorDomain from `db`'s last failure, naming `sql` (the statement, or empty).
Error lastError(sqlite3* db, std::string_view sql);
// Runs plain SQL on `db`.
Result<void> exec(sqlite3* db, const std::string& sql);

} // namespace fnd::sqldetail
