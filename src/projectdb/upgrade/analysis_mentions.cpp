#include "projectdb/upgrade/analysis_mentions.h"

#include <unicode/uchar.h>

#include <string>
#include <variant>
#include <vector>

#include "projectdb/upgrade/condition_list.h"
#include "qe/core/lite_variant_tree.h"
#include "qe/core/status.h"

namespace qe::upgrade {
namespace {

// Where a task class keeps the text that may mention an analysis: a value
// in a level at the top of its data document.
struct SMentionPlace {
  const wchar_t* wszClassName;
  const wchar_t* wszLevel;
  const wchar_t* wszValue;
  bool bConditionList;  // the value is a condition list, not a text
};

constexpr SMentionPlace kPlaces[] = {
    {L"Expression", L"Expression", L"ExpressionText", false},
    {L"Question", L"Question", L"Text", false},
    {L"EmailNotification", L"EmailNotification", L"MessageBody", false},
    {L"SmsNotification", L"SmsNotification", L"MessageBody", false},
    {L"Condition", L"Condition", L"ConditionList", true},
};

// ICU, because iswalnum knows only ASCII in the C locale and names carry
// letters of every language.
bool IsNameChar(wchar_t c) { return c == L'_' || u_isalnum(static_cast<UChar32>(c)); }

// Rewrites the text items of a stored condition list; false when the list
// cannot be read (or written), which leaves it as it was.
bool RewriteConditionList(std::vector<uint8_t>& bytes, const CQeStringW& what,
                          const CQeStringW& with, bool& changed) {
  CConditionList list;
  if (list.Read(bytes.data(), bytes.size()) != eQeOk) return false;
  for (SConditionItem& item : list.Items()) {
    if (item.iKind == kConditionText && ReplaceMention(item.wszText, what, with)) changed = true;
  }
  if (!changed) return true;
  CQeByteArray out;
  if (list.Write(out) != eQeOk) return false;
  bytes = std::move(out.bytes());
  return true;
}

}  // namespace

bool ReplaceMention(CQeStringW& text, const CQeStringW& what, const CQeStringW& with) {
  const std::wstring& in = text.str();
  const std::wstring& needle = what.str();
  if (needle.empty()) return false;
  std::wstring out;
  size_t copied = 0;
  for (size_t at = in.find(needle); at != std::wstring::npos; at = in.find(needle, at + 1)) {
    if (at < copied) continue;  // inside the occurrence just replaced
    const size_t end = at + needle.size();
    const bool freeBefore = at == 0 || (!IsNameChar(in[at - 1]) && in[at - 1] != L'.');
    const bool freeAfter = end == in.size() || !IsNameChar(in[end]);
    if (!freeBefore || !freeAfter) continue;
    out.append(in, copied, at - copied);
    out += with.str();
    copied = end;
  }
  if (copied == 0) return false;
  out.append(in, copied, std::wstring::npos);
  text = CQeStringW(out);
  return true;
}

EMentionRewrite RewriteMentions(const CQeStringW& className, const CQeByteArray& data,
                                const CQeStringW& what, const CQeStringW& with, CQeByteArray& out) {
  const SMentionPlace* place = nullptr;
  for (const SMentionPlace& candidate : kPlaces) {
    if (className == candidate.wszClassName) place = &candidate;
  }
  if (!place) return EMentionRewrite::kUnchanged;

  lv::Level document;
  if (lv::Decode(data.GetData(), static_cast<size_t>(data.GetSize()), document) != eQeOk) {
    return EMentionRewrite::kUnreadable;
  }
  lv::Entry* level = lv::FindNamed(document, place->wszLevel);
  auto* entries = level ? std::get_if<lv::Level>(&level->value) : nullptr;
  lv::Entry* value = entries ? lv::FindNamed(*entries, place->wszValue) : nullptr;
  if (!value) return EMentionRewrite::kUnchanged;

  bool changed = false;
  auto* text = std::get_if<std::wstring>(&value->value);
  auto* bytes = std::get_if<std::vector<uint8_t>>(&value->value);
  if (!place->bConditionList && text) {
    CQeStringW rewritten(*text);
    changed = ReplaceMention(rewritten, what, with);
    if (changed) *text = rewritten.str();
  } else if (place->bConditionList && bytes) {
    if (!RewriteConditionList(*bytes, what, with, changed)) return EMentionRewrite::kUnreadable;
  }
  if (!changed) return EMentionRewrite::kUnchanged;
  out.bytes() = lv::Encode(document);
  return EMentionRewrite::kChanged;
}

}  // namespace qe::upgrade
