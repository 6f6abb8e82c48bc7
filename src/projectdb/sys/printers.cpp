#include "qe/projectdb/printers.h"

#include <algorithm>
#include <cmath>

#include "qe/projectdb/sys.h"

namespace {

template <typename Printer>
CQeRefCountPtr<CQeSqliteBaseDataPrinter> Adopt(Printer* printer) {
  return CQeRefCountPtr<CQeSqliteBaseDataPrinter>::Adopt(printer);
}

// log10 truncated toward zero, for a positive finite value.
int TruncatedLog10(double value) { return static_cast<int>(std::trunc(std::log10(value))); }

int DecimalsForMagnitude(bool integral, double magnitude) {
  if (integral || magnitude < 0) return 0;
  if (std::isnan(magnitude) || magnitude == 0) magnitude = 1;
  if (std::isinf(magnitude)) return 1;
  return std::max(1, 3 - TruncatedLog10(magnitude));
}

// The span includes zero, so a column such as 1.5, 2.25, 101 is judged by
// its largest value, as the printed digits before the point are.
int DecimalsForColumn(const CQeSqliteDataColumn& column) {
  double smallest = 0, largest = 0, fractions = 0;
  bool any = false;
  for (const auto& value : column) {
    if (!value || !std::isfinite(*value)) continue;
    any = true;
    smallest = std::min(smallest, *value);
    largest = std::max(largest, *value);
    fractions += *value - std::floor(*value);
  }
  if (!any || fractions == 0) return 0;
  const double span = largest - smallest;
  if (span == 0 || !std::isfinite(span)) return 1;
  return std::max(1, 5 - TruncatedLog10(span));
}

}  // namespace

CQeRefCountPtr<CQeSqliteBaseDataPrinter> CQeProjectDbJdnDatePrinter::Create() {
  return Adopt(new CQeProjectDbJdnDatePrinter());
}
CQeProjectDbJdnDatePrinter::~CQeProjectDbJdnDatePrinter() = default;
CQeStringW CQeProjectDbJdnDatePrinter::Print(double value) {
  return QeProjectDb_Sys_JdnFormatDateShort(value);
}

CQeRefCountPtr<CQeSqliteBaseDataPrinter> CQeProjectDbJdnTimePrinter::Create() {
  return Adopt(new CQeProjectDbJdnTimePrinter());
}
CQeProjectDbJdnTimePrinter::~CQeProjectDbJdnTimePrinter() = default;
CQeStringW CQeProjectDbJdnTimePrinter::Print(double value) {
  return QeProjectDb_Sys_JdnFormatTimeHHMMSSmmm(value);
}

CQeRefCountPtr<CQeSqliteBaseDataPrinter> CQeProjectDbJdnDateTimePrinter::Create() {
  return Adopt(new CQeProjectDbJdnDateTimePrinter());
}
CQeProjectDbJdnDateTimePrinter::~CQeProjectDbJdnDateTimePrinter() = default;
CQeStringW CQeProjectDbJdnDateTimePrinter::Print(double value) {
  const CQeStringW date = QeProjectDb_Sys_JdnFormatDateShort(value);
  const CQeStringW time = QeProjectDb_Sys_JdnFormatTimeShort(value);
  if (date.IsEmpty() || time.IsEmpty()) return CQeStringW();
  return CQeStringW::Formatted(L"%s %s", date, time);
}

CQeRefCountPtr<CQeSqliteBaseDataPrinter> CQeProjectDbPropertyPrinter::Create(bool integral,
                                                                             double magnitude) {
  return Adopt(new CQeProjectDbPropertyPrinter(DecimalsForMagnitude(integral, magnitude)));
}

CQeRefCountPtr<CQeSqliteBaseDataPrinter> CQeProjectDbPropertyPrinter::Create(
    const CQeSqliteDataColumn& column) {
  return Adopt(new CQeProjectDbPropertyPrinter(DecimalsForColumn(column)));
}

CQeProjectDbPropertyPrinter::~CQeProjectDbPropertyPrinter() = default;

CQeStringW CQeProjectDbPropertyPrinter::Print(double value) {
  return PrintDoubleNumber(value, decimals_, OptionFlags());
}
