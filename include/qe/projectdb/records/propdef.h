// Property definitions: the measured quantities, grouped by property set.
//
// Conventions: those of every record function (see project.h): handle
// first, 0 or a status returned, key out-pointers receive the key or 0,
// GetMany appends, lookups that return a key give 0 when there is none.
// Texts are stored as given and escaped in SQL.
//
// Set, name and unit are compared without regard to letter case (the
// columns' NOCASE collation, ASCII letters only), and a definition is
// unique by the three: "Area", "AREA" and "area" in the same set and unit
// are one property. Deleting a definition deletes the frame properties,
// object properties and run statistics of it.
#pragma once

#include <cstdint>
#include <vector>

#include "qe/core/string.h"

struct SQeProjectDbRow_propdef {
  SQeProjectDbRow_propdef() = default;
  SQeProjectDbRow_propdef(int64_t key, const CQeStringW& set, const CQeStringW& name,
                          const CQeStringW& unit, const CQeStringW& desc)
      : iKey(key), wszPropsetName(set), wszName(name), wszUnit(unit), wszDesc(desc) {}

  int64_t iKey = 0;
  CQeStringW wszPropsetName;  // the property set
  CQeStringW wszName;
  CQeStringW wszUnit;
  CQeStringW wszDesc;
};

// Inserts a definition. A second definition with the same set, name and
// unit fails with 19.
int QeProjectDb_Propdef_Insert(uint32_t h, const CQeStringW& set, const CQeStringW& name,
                               const CQeStringW& unit, const CQeStringW& desc, int64_t* outKey);

// Finds the definition with the same set, name and unit (letter case
// ignored) and writes its key, leaving its description as it is; else
// inserts one as QeProjectDb_Propdef_Insert. Returns 0 or the status.
int QeProjectDb_Propdef_GetOrInsert(uint32_t h, const CQeStringW& set, const CQeStringW& name,
                                    const CQeStringW& unit, const CQeStringW& desc,
                                    int64_t* outKey);

// Reads the definition with that key when it belongs to the set; a key of
// another set reads nothing (record untouched). Returns the select's status.
int QeProjectDb_Propdef_GetOne(uint32_t h, const CQeStringW& set, int64_t key,
                               SQeProjectDbRow_propdef& row);

// The key of the first definition of that set and name (any unit), or 0.
int64_t QeProjectDb_Propdef_GetOne(uint32_t h, const CQeStringW& set, const CQeStringW& name);

// The key of the definition of that set, name and unit, or 0.
int64_t QeProjectDb_Propdef_GetOne(uint32_t h, const CQeStringW& set, const CQeStringW& name,
                                   const CQeStringW& unit);

// Appends the definitions of one set.
int QeProjectDb_Propdef_GetMany(uint32_t h, const CQeStringW& set,
                                std::vector<SQeProjectDbRow_propdef>& rows);

// Updates set, name, unit and description of the definition with that key.
int QeProjectDb_Propdef_Update(uint32_t h, int64_t key, const CQeStringW& set,
                               const CQeStringW& name, const CQeStringW& unit,
                               const CQeStringW& desc);

// Deletes the definition with that key and the values measured for it.
int QeProjectDb_Propdef_Delete(uint32_t h, int64_t key);
