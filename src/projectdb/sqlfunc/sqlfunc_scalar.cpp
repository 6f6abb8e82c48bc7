// Scalar SQL functions: uuid, jdnnow, the bit operations and the two text
// helpers.
#include <cstdint>

#include "projectdb/sqlfunc/sqlfunc_internal.h"
#include "qe/projectdb/sys.h"

namespace qe::sqlfunc {

void ResultError(sqlite3_context* ctx, const char16_t* message) {
  sqlite3_result_error16(ctx, message, -1);
}

CQeStringW ValueText(sqlite3_value* value) {
  const unsigned char* text = sqlite3_value_text(value);
  if (!text) return CQeStringW();
  return CQeStringW::FromUtf8(std::string_view(reinterpret_cast<const char*>(text),
                                               static_cast<size_t>(sqlite3_value_bytes(value))));
}

void ResultText(sqlite3_context* ctx, const CQeStringW& text) {
  const std::string utf8 = text.ToUtf8();
  sqlite3_result_text64(ctx, utf8.data(), utf8.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void Uuid(sqlite3_context* ctx, int, sqlite3_value**) {
  ResultText(ctx, QeProjectDb_Sys_UuidAsText());
}

void JdnNow(sqlite3_context* ctx, int, sqlite3_value**) {
  sqlite3_result_double(ctx, QeProjectDb_Sys_JdnNow());
}

namespace {
bool AllIntegers(int argc, sqlite3_value** argv) {
  for (int i = 0; i < argc; ++i) {
    if (sqlite3_value_type(argv[i]) != SQLITE_INTEGER) return false;
  }
  return true;
}
}  // namespace

void BitwiseAnd(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (argc != 2) return ResultError(ctx, kWrongCount);
  if (!AllIntegers(argc, argv)) return ResultError(ctx, kWrongType);
  sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]) & sqlite3_value_int64(argv[1]));
}

void BitsetMasked(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (argc != 3) return ResultError(ctx, kWrongCount);
  if (!AllIntegers(argc, argv)) return ResultError(ctx, kWrongType);
  // Unsigned so that the complement of a negative mask is well defined.
  const auto a = static_cast<uint64_t>(sqlite3_value_int64(argv[0]));
  const auto b = static_cast<uint64_t>(sqlite3_value_int64(argv[1]));
  const auto mask = static_cast<uint64_t>(sqlite3_value_int64(argv[2]));
  sqlite3_result_int64(ctx, static_cast<sqlite3_int64>((a & ~mask) | (b & mask)));
}

void SetFirstChar(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (argc != 2) return ResultError(ctx, kWrongCount);
  CQeStringW text = ValueText(argv[0]);
  if (text.IsEmpty()) return sqlite3_result_null(ctx);
  const CQeStringW first = ValueText(argv[1]);
  if (!first.IsEmpty()) text.SetAt(0, first.GetAt(0));
  ResultText(ctx, text);
}

void PathLastPart(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (argc != 1) return ResultError(ctx, kWrongCount);
  // Stored names use backslashes; names written on this system may use '/'.
  const std::wstring path = ValueText(argv[0]).str();
  const size_t begin = path.find_first_not_of(L"\\/");
  if (begin == std::wstring::npos) return sqlite3_result_null(ctx);
  const size_t end = path.find_last_not_of(L"\\/") + 1;
  const std::wstring trimmed = path.substr(begin, end - begin);
  const size_t last = trimmed.find_last_of(L"\\/");
  ResultText(ctx, last == std::wstring::npos ? trimmed : trimmed.substr(last + 1));
}

}  // namespace qe::sqlfunc
