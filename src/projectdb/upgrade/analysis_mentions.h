// Mentions of an analysis in the data of the tasks that follow it. Before
// analyses were tasks, later tasks named one as "Job.<task>.Analysis.<name>"
// (the task it was attached to, then its name); once it is a task of its
// own they name it "Job.<name>". Upgrade step 48 to 60 rewrites them.
//
// Free functions over values; safe from any thread.
#pragma once

#include "qe/core/byte_array.h"
#include "qe/core/string.h"

namespace qe::upgrade {

// Replaces each occurrence of what in text by with, where an occurrence is
// not glued to a longer name: the character before it is not a letter,
// digit, '_' or '.', and the one after it is not a letter, digit or '_'.
// So "Job.Acq.Analysis.Nuclei" is found in "Job.Acq.Analysis.Nuclei.Count >
// 3" but not in "Job.Acq.Analysis.Nuclei2.Count". Returns whether anything
// was replaced.
bool ReplaceMention(CQeStringW& text, const CQeStringW& what, const CQeStringW& with);

enum class EMentionRewrite { kUnchanged, kChanged, kUnreadable };

// Rewrites what into with in the text that a task of className keeps in its
// data document (a lite-variant document):
//   "Expression"         \Expression\ExpressionText
//   "Question"           \Question\Text
//   "EmailNotification"  \EmailNotification\MessageBody
//   "SmsNotification"    \SmsNotification\MessageBody
//   "Condition"          every text item of the condition list, the byte
//                        array \Condition\ConditionList (condition_list.h)
// Nothing else of the document changes. kChanged: out holds the new data.
// kUnchanged: another class, no such entry, or no mention. kUnreadable: the
// document or the condition list cannot be read; the caller keeps the data.
EMentionRewrite RewriteMentions(const CQeStringW& className, const CQeByteArray& data,
                                const CQeStringW& what, const CQeStringW& with, CQeByteArray& out);

}  // namespace qe::upgrade
