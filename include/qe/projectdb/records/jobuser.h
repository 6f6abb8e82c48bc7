// Users, upload requests and the grouping of projects by user.
//
// Conventions: those of every record function (see project.h): handle
// first, 0 or a status returned. Every text is passed to SQLite as a bound
// parameter, never placed in the SQL text.
//
// Passwords: the library stores the password text exactly as passed and
// compares it exactly; it does not hash, salt or transform it. The host
// should therefore pass a hash of the user's password (computed the same
// way on every lookup), never the clear text. No password reaches the
// library's diagnostics or any status message.
//
// User uuids and user names are unique. An upload request is unique per
// row uuid and user, and goes with its user; a grouping is unique per user
// name and project uuid.
#pragma once

#include <cstdint>

#include "qe/core/string.h"

struct SQeProjectDbRow_jobuser {
  SQeProjectDbRow_jobuser() = default;
  SQeProjectDbRow_jobuser(int64_t key, const CQeStringW& uuid, const CQeStringW& username,
                          const CQeStringW& password)
      : iKey(key), wszUuid(uuid), wszUsername(username), wszPassword(password) {}

  int64_t iKey = 0;
  CQeStringW wszUuid;      // unique
  CQeStringW wszUsername;  // unique
  CQeStringW wszPassword;  // stored exactly as passed (see above)
};

// Inserts a user. No key is returned (look the user up with
// QeProjectDb_Jobuser_GetOne). A uuid or user name already used fails with
// 19 and leaves the stored user as it is.
int QeProjectDb_Jobuser_Insert(uint32_t h, const CQeStringW& uuid, const CQeStringW& username,
                               const CQeStringW& password);

// Reads the user whose name and password both match exactly. Returns 0 and
// fills the record; -13 when no user matches (unknown name or wrong
// password), and the record is then untouched; or the select's status.
int QeProjectDb_Jobuser_GetOne(uint32_t h, const CQeStringW& username, const CQeStringW& password,
                               SQeProjectDbRow_jobuser& row);

// Queues an upload request by the user (its iKey) for the row with uuid
// rowUuid of table tableName, to cloudUrl, with upload state 0 and no run
// state. A second request for the same row uuid and user fails with 19.
int QeProjectDb_toupload_SaveRequest(uint32_t h, const CQeStringW& tableName,
                                     const CQeStringW& rowUuid, const CQeStringW& cloudUrl,
                                     const SQeProjectDbRow_jobuser& user);

// Sets the run state of the request with that key (the values are the
// host's). A key without a request changes nothing and returns 0.
int QeProjectDb_toupload_ChangeStatus(uint32_t h, int64_t requestKey, int64_t state);

// Records that the project with that uuid is grouped under the user (user
// name and key). A second grouping of the same user name and project uuid
// fails with 19.
int QeProjectDb_Cloudgroupusers_Insert(uint32_t h, const CQeStringW& username,
                                       const CQeStringW& projectUuid, int64_t userKey);
