#include "qe/sqlite/printer.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <cwchar>

CQeRefCountPtr<CQeSqliteBaseDataPrinter> CQeSqliteBaseDataPrinter::Create(int optionFlags) {
  return CQeRefCountPtr<CQeSqliteBaseDataPrinter>::Adopt(new CQeSqliteBaseDataPrinter(optionFlags));
}

CQeSqliteBaseDataPrinter::~CQeSqliteBaseDataPrinter() = default;

CQeStringW CQeSqliteBaseDataPrinter::Print(const uint8_t* bytes, int size) {
  (void)bytes;
  return CQeStringW::Formatted(L"%d bytes", std::max(size, 0));
}

CQeStringW CQeSqliteBaseDataPrinter::Print(const CQeStringW& text) { return text; }

CQeStringW CQeSqliteBaseDataPrinter::Print(double value) {
  return PrintDoubleNumber(value, -1, optionFlags_);
}

CQeStringW CQeSqliteBaseDataPrinter::Print(int64_t value) {
  return CQeStringW::Formatted(L"%I64d", value);
}

CQeStringW CQeSqliteBaseDataPrinter::Print() { return CQeStringW(); }

void CQeSqliteBaseDataPrinter::Update(const CQeSqliteDataColumn& column) { (void)column; }

void CQeSqliteBaseDataPrinter::SetOptionFlags(int optionFlags) { optionFlags_ = optionFlags; }

int CQeSqliteBaseDataPrinter::OptionFlags() const { return optionFlags_; }

void* CQeSqliteBaseDataPrinter::GetInterface(const wchar_t* name) {
  if (name && std::wcscmp(name, L"CQeSqliteBaseDataPrinter") == 0) return this;
  return nullptr;
}

CQeStringW CQeSqliteBaseDataPrinter::PrintDoubleNumber(double value, int decimals,
                                                       int optionFlags) {
  if (std::isnan(value)) return CQeStringW(L"nan");
  if (std::isinf(value)) return CQeStringW(value > 0 ? L"inf" : L"-inf");
  std::wstring text = decimals < 0 ? fmt::format(L"{}", value)
                                   : fmt::format(L"{:.{}f}", value, std::min(decimals, 20));
  bool hasPoint = text.find(L'.') != std::wstring::npos;
  if (hasPoint && !(optionFlags & eQeSqlitePrintFixedDecimals)) {
    while (text.back() == L'0') text.pop_back();
    if (text.back() == L'.') text.pop_back();
  }
  if (text[0] == L'-' && text.find_first_not_of(L"-0.") == std::wstring::npos) text.erase(0, 1);
  return CQeStringW(std::move(text));
}
