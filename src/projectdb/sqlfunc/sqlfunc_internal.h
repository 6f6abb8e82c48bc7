// The callbacks behind the SQL functions of the project database, shared
// between the files that implement them and the registration.
#pragma once

#include <sqlite3.h>

#include "qe/core/string.h"

namespace qe::sqlfunc {

inline constexpr const char16_t* kWrongCount = u"Wrong parameter count";
inline constexpr const char16_t* kWrongType = u"Wrong parameter type";

// Fails the calling statement with the given message.
void ResultError(sqlite3_context* ctx, const char16_t* message);
// A value as wide text; NULL reads as empty.
CQeStringW ValueText(sqlite3_value* value);
void ResultText(sqlite3_context* ctx, const CQeStringW& text);

// Scalars.
void Uuid(sqlite3_context* ctx, int argc, sqlite3_value** argv);
void JdnNow(sqlite3_context* ctx, int argc, sqlite3_value** argv);
void BitwiseAnd(sqlite3_context* ctx, int argc, sqlite3_value** argv);
void BitsetMasked(sqlite3_context* ctx, int argc, sqlite3_value** argv);
void SetFirstChar(sqlite3_context* ctx, int argc, sqlite3_value** argv);
void PathLastPart(sqlite3_context* ctx, int argc, sqlite3_value** argv);

// Simple aggregates.
void BitwiseOrStep(sqlite3_context* ctx, int argc, sqlite3_value** argv);
void BitwiseOrFinal(sqlite3_context* ctx);
void CountStrStep(sqlite3_context* ctx, int argc, sqlite3_value** argv);
void CountStrFinal(sqlite3_context* ctx);
void WelfordStep(sqlite3_context* ctx, int argc, sqlite3_value** argv);
void VarianceFinal(sqlite3_context* ctx);
void StdevFinal(sqlite3_context* ctx);

// Order statistics over one shared step.
void OrderStatStep(sqlite3_context* ctx, int argc, sqlite3_value** argv);
void ModeFinal(sqlite3_context* ctx);
void MedianFinal(sqlite3_context* ctx);
void LowerQuartileFinal(sqlite3_context* ctx);
void UpperQuartileFinal(sqlite3_context* ctx);

// File-system functions of the merge; user data is a SQeProjectDbMergeFiles.
void CreateProjectFolder(sqlite3_context* ctx, int argc, sqlite3_value** argv);
void CreateJobrunFolder(sqlite3_context* ctx, int argc, sqlite3_value** argv);
void CopyFile(sqlite3_context* ctx, int argc, sqlite3_value** argv);

}  // namespace qe::sqlfunc
