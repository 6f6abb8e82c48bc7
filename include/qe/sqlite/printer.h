// The reference-counted printer that turns the values of a result column
// into display text; the project database derives its date, time and
// property printers from it.
//
// Conventions:
//  - Created with a count of 1 and handed out in CQeRefCountPtr (see
//    refcount.h); shared by threads through that count. A printer's option
//    flags are read and written without a lock: set them before sharing it.
//  - The virtual operations are declared in this order, which derived
//    printers keep: AddRef, Release, AddZeroPtr, RemoveZeroPtr (the counted
//    interface), the destructor, Print(bytes, size), Print(text),
//    Print(double), Print(int64), Print() for NULL, Update(data column),
//    SetOptionFlags, OptionFlags; then GetInterface of IQeGetInterface.
//    A derived printer that overrides one Print adds
//    `using CQeSqliteBaseDataPrinter::Print;` so the others stay visible.
//  - Numbers are printed locale-independently ('.' as decimal point, no
//    grouping).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "qe/core/refcount.h"
#include "qe/core/string.h"

// The values of one result column, in row order; std::nullopt stands for
// SQL NULL.
using CQeSqliteDataColumn = std::vector<std::optional<double>>;

// Option flags of a printer and of PrintDoubleNumber.
enum EQeSqlitePrintFlags : int {
  // Keep every requested decimal ("2.500"); without it trailing zeros after
  // the decimal point are dropped, and the point with them ("2.5", "3").
  eQeSqlitePrintFixedDecimals = 0x1,
};

class CQeSqliteBaseDataPrinter : public IQeRefCount, public IQeGetInterface, public CQeRefCounted {
 public:
  // A base printer (the texts described below).
  static CQeRefCountPtr<CQeSqliteBaseDataPrinter> Create(int optionFlags = 1);

  QE_IMPLEMENT_REFCOUNT

 protected:
  // Declared here to keep its place among the virtual operations.
  virtual ~CQeSqliteBaseDataPrinter();

 public:
  // A blob: "<size> bytes".
  virtual CQeStringW Print(const uint8_t* bytes, int size);
  // A text: the text itself.
  virtual CQeStringW Print(const CQeStringW& text);
  // A number: PrintDoubleNumber with the shortest decimals that read back
  // as the same double.
  virtual CQeStringW Print(double value);
  virtual CQeStringW Print(int64_t value);
  // SQL NULL: an empty text.
  virtual CQeStringW Print();
  // Lets the printer adapt to the column it will print (e.g. choose a
  // number of decimals); the base printer ignores it.
  virtual void Update(const CQeSqliteDataColumn& column);
  virtual void SetOptionFlags(int optionFlags);
  virtual int OptionFlags() const;

  // Answers "CQeSqliteBaseDataPrinter" with this printer, anything else with null.
  void* GetInterface(const wchar_t* name) override;

  // value in fixed notation with decimals digits after the point (0 gives
  // no point; decimals above 20 count as 20; a negative count gives the
  // shortest text that reads back as the same double, with an exponent for
  // very large or small values, e.g. "1e-10"). Option flag
  // eQeSqlitePrintFixedDecimals keeps trailing zeros. A value that rounds
  // to zero prints without a minus sign. NaN and infinities print as
  // "nan", "inf" and "-inf".
  static CQeStringW PrintDoubleNumber(double value, int decimals, int optionFlags);

 protected:
  explicit CQeSqliteBaseDataPrinter(int optionFlags) : optionFlags_(optionFlags) {}

 private:
  int optionFlags_;
};
