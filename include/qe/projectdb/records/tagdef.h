// Tag definitions: labels grouped by tag set, attached to projects, job
// definitions and frames.
//
// Conventions: those of every record function (see project.h): handle
// first, 0 or a status returned, key out-pointers receive the key or 0,
// GetAll / GetMany append, lookups that return a key give 0 when there is
// none. Texts are stored as given and escaped in SQL.
//
// An empty set name is stored as NULL: such a tag belongs to no set, is
// found by name alone, and not by the empty set name. Tag names are unique
// within a set, compared without regard to (ASCII) letter case (tags
// without a set may share a name); the set is compared exactly. Deleting a tag definition deletes
// its links to projects, job definitions and frames and its colours.
#pragma once

#include <cstdint>
#include <vector>

#include "qe/core/string.h"

struct SQeProjectDbRow_tagdef {
  SQeProjectDbRow_tagdef() = default;
  SQeProjectDbRow_tagdef(int64_t key, const CQeStringW& set, const CQeStringW& name,
                         const CQeStringW& desc)
      : iKey(key), wszTagsetName(set), wszName(name), wszDesc(desc) {}

  int64_t iKey = 0;
  CQeStringW wszTagsetName;  // the tag set; empty for none (stored as NULL)
  CQeStringW wszName;
  CQeStringW wszDesc;
};

// Inserts a tag definition (an empty set is stored as NULL). Returns 0 or
// the status (19 for a name already in the set).
int QeProjectDb_Tagdef_Insert(uint32_t h, const CQeStringW& set, const CQeStringW& name,
                              const CQeStringW& desc, int64_t* outKey);

// Updates set, name and description (an empty set is stored as NULL).
int QeProjectDb_Tagdef_Update(uint32_t h, int64_t key, const CQeStringW& set,
                              const CQeStringW& name, const CQeStringW& desc);

// Reads the tag definition with that key (a NULL set reads empty).
int QeProjectDb_Tagdef_GetOne(uint32_t h, int64_t key, SQeProjectDbRow_tagdef& row);

// The key of the first tag of that name in any set (or none), or 0.
int64_t QeProjectDb_Tagdef_GetOne(uint32_t h, const CQeStringW& name);

// Reads the tag definition with that key when it belongs to the set (a key
// of another set reads nothing). Returns the select's status.
int QeProjectDb_Tagdef_GetOne(uint32_t h, const CQeStringW& set, int64_t key,
                              SQeProjectDbRow_tagdef& row);

// The key of the tag of that name in that set, or 0 (always 0 for an empty
// set name).
int64_t QeProjectDb_Tagdef_GetOne(uint32_t h, const CQeStringW& set, const CQeStringW& name);

// Appends every tag definition, the system tags included.
int QeProjectDb_Tagdef_GetAll(uint32_t h, std::vector<SQeProjectDbRow_tagdef>& rows);

// Appends the tags of one set (none for an empty set name).
int QeProjectDb_Tagdef_GetMany(uint32_t h, const CQeStringW& set,
                               std::vector<SQeProjectDbRow_tagdef>& rows);

// Deletes the tag definition with that key and its links and colours.
int QeProjectDb_Tagdef_Delete(uint32_t h, int64_t key);
