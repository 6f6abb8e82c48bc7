// Slides of a project database: one `slidedef` row per slide definition.
//
// Conventions: those of the labware record functions, which open
// qe/projectdb/records/labware_plate.h. Any slide can be removed, whatever
// its company; built-in slides carry their size text ("75x25 mm") as the
// company.
#pragma once

#include <cstdint>
#include <list>
#include <vector>

#include "qe/core/byte_array.h"
#include "qe/core/string.h"

// The record's field order differs from the table's, which stores the
// sticker, the two blobs and then the names.
struct SQeProjectDbRow_slidedef {
  SQeProjectDbRow_slidedef() = default;
  SQeProjectDbRow_slidedef(int64_t key, const CQeStringW& uuid, const CQeStringW& company,
                           const CQeStringW& type, const CQeStringW& model, double left, double top,
                           double right, double bottom, int32_t userImported,
                           const CQeByteArray& layoutElement, const CQeByteArray& surroundArea,
                           int32_t removed)
      : iKey(key),
        wszUuid(uuid),
        wszCompany(company),
        wszType(type),
        wszModel(model),
        stickerL(left),
        stickerT(top),
        stickerR(right),
        stickerB(bottom),
        iUserImported(userImported),
        layoutelement(layoutElement),
        surroundarea(surroundArea),
        iRemoved(removed) {}

  int64_t iKey = 0;
  CQeStringW wszUuid;  // unique
  CQeStringW wszCompany;
  CQeStringW wszType;
  CQeStringW wszModel;
  double stickerL = 0;  // the sticker rectangle, micrometres
  double stickerT = 0;
  double stickerR = 0;
  double stickerB = 0;
  int32_t iUserImported = 0;
  CQeByteArray layoutelement;  // the serialized CQeLayoutElement (usable area)
  CQeByteArray surroundarea;   // the serialized SQeShape (outline)
  int32_t iRemoved = 0;
};

// The slide with that key, or that uuid (row untouched when none); the
// select's status.
int QeProjectDb_Slidedef_GetOne(uint32_t h, int64_t key, SQeProjectDbRow_slidedef& row);
int QeProjectDb_Slidedef_GetOne(uint32_t h, const CQeStringW& uuid, SQeProjectDbRow_slidedef& row);
// The first slide of that company (letter case ignored), only among present
// ones when onlyPresent. found tells whether one came back; row is filled
// only then. Returns the select's status.
int QeProjectDb_Slidedef_GetOneByName(uint32_t h, const CQeStringW& company,
                                      SQeProjectDbRow_slidedef& row, bool& found, bool onlyPresent);
// Appends every slide definition.
int QeProjectDb_Slidedef_GetAll(uint32_t h, std::list<SQeProjectDbRow_slidedef>& rows);
// Marks the slide with that uuid removed, whatever its company.
int QeProjectDb_Slidedef_Remove(uint32_t h, const CQeStringW& uuid);

// Delete by keys in order, stopping at the first failure (its status).
int QeProjectDb_Slidedef_Delete(uint32_t h, const std::vector<int64_t>& keys);
// Batch insert (one transaction when the caller has none).
int QeProjectDb_Slidedef_InsertMany(uint32_t h, std::list<SQeProjectDbRow_slidedef>& rows);
// Catalogue replacement in one transaction with the catalogue version
// "slide"; results as QeProjectDb_Wellplatename_Upgrade.
int QeProjectDb_Slidedef_Upgrade(uint32_t h, std::list<SQeProjectDbRow_slidedef>& rows,
                                 const std::vector<int64_t>& deleteKeys, int64_t version);
