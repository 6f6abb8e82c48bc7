#include "labware/translate.h"
#include "qe/labware/element_holder.h"

namespace qe::labware {

CQeStringW DescribeNames(const CQeStringW& company, const CQeStringW& type,
                         const CQeStringW& model) {
  const struct {
    const wchar_t* word;
    const CQeStringW& value;
  } pieces[] = {{L"Company", company}, {L"Type", type}, {L"Model", model}};
  CQeStringW text;
  for (const auto& piece : pieces) {
    if (piece.value.IsEmpty()) continue;
    if (!text.IsEmpty()) text += L", ";
    text.AppendFormat(L"%s: %s", Translate(piece.word), piece.value);
  }
  if (!text.IsEmpty()) text += L"\r\n";
  return text;
}

}  // namespace qe::labware
