// Values handed to the builders, and output pointers filled by them.
//
// Conventions:
//  - CQeSqliteValue is a view: it refers to the caller's text or bytes and
//    is meant to live only as an argument of one call, e.g.
//    `insert.Row({row.iProjKeyRef, row.dCTime, row.wszName, row.pData})`.
//    A null text pointer or nullptr is SQL NULL.
//  - CQeSqliteOut is a typed pointer to a record field, e.g.
//    `select.Row({&row.iKey, &row.wszName, &row.pData})`. The builders check
//    each pointer against the declared type of its column before they write
//    anything: int32_t* and int64_t* for integer columns, double* for REAL,
//    CQeStringW* for TEXT, CQeByteArray* for BLOB; nullptr skips a column.
//    A SQL NULL is read as 0, 0.0, an empty text or an empty byte array.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "qe/core/byte_array.h"
#include "qe/core/string.h"

class CQeSqliteValue {
 public:
  enum EKind { eNull, eInteger, eDouble, eText, eBlob };

  CQeSqliteValue() = default;
  CQeSqliteValue(std::nullptr_t) {}                                // NOLINT: implicit by design
  CQeSqliteValue(int value) : kind_(eInteger), integer_(value) {}  // NOLINT
  CQeSqliteValue(unsigned int value) : kind_(eInteger), integer_(value) {}     // NOLINT
  CQeSqliteValue(long value) : kind_(eInteger), integer_(value) {}             // NOLINT
  CQeSqliteValue(long long value) : kind_(eInteger), integer_(value) {}        // NOLINT
  CQeSqliteValue(double value) : kind_(eDouble), double_(value) {}             // NOLINT
  CQeSqliteValue(const CQeStringW& text) : kind_(eText), text_(text.str()) {}  // NOLINT
  CQeSqliteValue(const wchar_t* text)                                          // NOLINT
      : kind_(text ? eText : eNull), text_(text ? text : L"") {}
  CQeSqliteValue(const CQeByteArray& bytes)  // NOLINT: implicit by design
      : kind_(eBlob), blob_(bytes.GetData()), size_(bytes.GetSize()) {}
  // Raw bytes; a null pointer with size 0 is an empty blob, not NULL.
  static CQeSqliteValue Blob(const void* data, int size) {
    CQeSqliteValue v;
    v.kind_ = eBlob;
    v.blob_ = data;
    v.size_ = size;
    return v;
  }

  EKind Kind() const { return kind_; }
  int64_t Integer() const { return integer_; }
  double Double() const { return double_; }
  std::wstring_view Text() const { return text_; }
  const void* BlobData() const { return blob_; }
  int BlobSize() const { return size_; }

 private:
  EKind kind_ = eNull;
  int64_t integer_ = 0;
  double double_ = 0.0;
  std::wstring_view text_;
  const void* blob_ = nullptr;
  int size_ = 0;
};

class CQeSqliteOut {
 public:
  enum EKind { eSkip, eInt32, eInt64, eDouble, eText, eBlob };

  CQeSqliteOut(std::nullptr_t) {}                                     // NOLINT: implicit by design
  CQeSqliteOut(int32_t* p) : kind_(p ? eInt32 : eSkip), p_(p) {}      // NOLINT
  CQeSqliteOut(int64_t* p) : kind_(p ? eInt64 : eSkip), p_(p) {}      // NOLINT
  CQeSqliteOut(double* p) : kind_(p ? eDouble : eSkip), p_(p) {}      // NOLINT
  CQeSqliteOut(CQeStringW* p) : kind_(p ? eText : eSkip), p_(p) {}    // NOLINT
  CQeSqliteOut(CQeByteArray* p) : kind_(p ? eBlob : eSkip), p_(p) {}  // NOLINT

  EKind Kind() const { return kind_; }
  void* Pointer() const { return p_; }

 private:
  EKind kind_ = eSkip;
  void* p_ = nullptr;
};
