// Value printers for the host's result tables: JDN times as dates, times or
// both, and property values with a number of decimals that suits them.
//
// Conventions:
//  - Each printer derives from the SQLite helper layer's
//    CQeSqliteBaseDataPrinter, is made by a static Create with option flags
//    1 (eQeSqlitePrintFixedDecimals) and handed out in a
//    CQeRefCountPtr<CQeSqliteBaseDataPrinter> that owns the first reference.
//  - Each overrides only Print(double) (and its destructor); every other
//    operation, GetInterface included, is the base printer's.
//  - Printers keep no state after Create and may be shared by threads
//    through their reference count (option flags: set them before sharing).
//  - JDN texts are those of sys.h: the user's locale and local time zone.
#pragma once

#include "qe/sqlite/printer.h"

// Print(double) = QeProjectDb_Sys_JdnFormatDateShort.
class CQeProjectDbJdnDatePrinter : public CQeSqliteBaseDataPrinter {
 public:
  static CQeRefCountPtr<CQeSqliteBaseDataPrinter> Create();
  using CQeSqliteBaseDataPrinter::Print;
  CQeStringW Print(double value) override;

 protected:
  CQeProjectDbJdnDatePrinter() : CQeSqliteBaseDataPrinter(1) {}
  ~CQeProjectDbJdnDatePrinter() override;
};

// Print(double) = QeProjectDb_Sys_JdnFormatTimeHHMMSSmmm ("13:45:01.007").
class CQeProjectDbJdnTimePrinter : public CQeSqliteBaseDataPrinter {
 public:
  static CQeRefCountPtr<CQeSqliteBaseDataPrinter> Create();
  using CQeSqliteBaseDataPrinter::Print;
  CQeStringW Print(double value) override;

 protected:
  CQeProjectDbJdnTimePrinter() : CQeSqliteBaseDataPrinter(1) {}
  ~CQeProjectDbJdnTimePrinter() override;
};

// Print(double) = the short date, a blank, the short time
// (QeProjectDb_Sys_JdnFormatDateShort, QeProjectDb_Sys_JdnFormatTimeShort).
class CQeProjectDbJdnDateTimePrinter : public CQeSqliteBaseDataPrinter {
 public:
  static CQeRefCountPtr<CQeSqliteBaseDataPrinter> Create();
  using CQeSqliteBaseDataPrinter::Print;
  CQeStringW Print(double value) override;

 protected:
  CQeProjectDbJdnDateTimePrinter() : CQeSqliteBaseDataPrinter(1) {}
  ~CQeProjectDbJdnDateTimePrinter() override;
};

// Print(double) = PrintDoubleNumber(value, decimals, option flags), the
// number of decimals chosen once by Create.
class CQeProjectDbPropertyPrinter : public CQeSqliteBaseDataPrinter {
 public:
  // Decimals for a property of a known kind: 0 when integral or when the
  // magnitude is negative; otherwise 3 - e, at least 1, where e is log10 of
  // the magnitude (of 1 for 0) truncated toward zero: magnitudes below 10
  // get 3, below 100 get 2, from 100 on 1, and 0.05 gets 4.
  static CQeRefCountPtr<CQeSqliteBaseDataPrinter> Create(bool integral, double magnitude);
  // Decimals for the values of a result column (NULL and non-finite values
  // are skipped): 0 when there are none or all are whole numbers; otherwise
  // 5 - e, at least 1, where e is log10 of the span from the smallest to the
  // largest value, zero included in the span, truncated toward zero (1.5,
  // 2.25 and 101 span 0 to 101: 3 decimals).
  static CQeRefCountPtr<CQeSqliteBaseDataPrinter> Create(const CQeSqliteDataColumn& column);

  using CQeSqliteBaseDataPrinter::Print;
  CQeStringW Print(double value) override;

 protected:
  explicit CQeProjectDbPropertyPrinter(int decimals)
      : CQeSqliteBaseDataPrinter(1), decimals_(decimals) {}
  ~CQeProjectDbPropertyPrinter() override;

 private:
  int decimals_ = 0;
};
