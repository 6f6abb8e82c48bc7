// Dishes of a project database: named products (`dishname`) and their
// geometry (`dishconfiguration`), read through a joined view.
//
// Conventions: those of the labware record functions, which open
// qe/projectdb/records/labware_plate.h. Dishes are never replaced, only
// removed and restored.
#pragma once

#include <cstdint>
#include <list>
#include <vector>

#include "qe/core/byte_array.h"
#include "qe/core/geometry.h"
#include "qe/core/string.h"

// The company of user-made dishes.
inline constexpr const wchar_t* kQeCustomDishesCompany = L"Custom dishes";

struct SQeProjectDbRow_dishconfiguration {
  SQeProjectDbRow_dishconfiguration() = default;
  SQeProjectDbRow_dishconfiguration(int64_t key, const CQeStringW& uuid,
                                    const CQeRectBase<double>& sticker,
                                    const CQeByteArray& layoutElement,
                                    const CQeByteArray& surroundArea)
      : iKey(key),
        wszUuid(uuid),
        stickerL(sticker.left),
        stickerT(sticker.top),
        stickerR(sticker.right),
        stickerB(sticker.bottom),
        layoutelement(layoutElement),
        surroundarea(surroundArea) {}

  int64_t iKey = 0;
  CQeStringW wszUuid;   // unique
  double stickerL = 0;  // the sticker rectangle, micrometres
  double stickerT = 0;
  double stickerR = 0;
  double stickerB = 0;
  CQeByteArray layoutelement;  // the serialized CQeLayoutElement (usable area)
  CQeByteArray surroundarea;   // the serialized SQeShape (outline)
};

struct SQeProjectDbRow_dishname {
  SQeProjectDbRow_dishname() = default;
  SQeProjectDbRow_dishname(int64_t key, const CQeStringW& uuid, int64_t configKey,
                           const CQeStringW& company, const CQeStringW& type,
                           const CQeStringW& model, int32_t userImported, int32_t removed)
      : iKey(key),
        wszUuid(uuid),
        iDishKeyRef(configKey),
        wszCompany(company),
        wszType(type),
        wszModel(model),
        iUserImported(userImported),
        iRemoved(removed) {}

  int64_t iKey = 0;
  CQeStringW wszUuid;       // unique
  int64_t iDishKeyRef = 0;  // the configuration
  CQeStringW wszCompany;
  CQeStringW wszType;
  CQeStringW wszModel;
  int32_t iUserImported = 0;
  int32_t iRemoved = 0;
};

// One dish as the joined view of its name row and its configuration.
struct SQeProjectDbRow_dishdef {
  SQeProjectDbRow_dishdef() = default;
  SQeProjectDbRow_dishdef(int64_t key, const CQeStringW& uuid, const CQeStringW& company,
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

  int64_t iKey = 0;    // the name row's key
  CQeStringW wszUuid;  // the name row's uuid
  CQeStringW wszCompany;
  CQeStringW wszType;
  CQeStringW wszModel;
  double stickerL = 0;
  double stickerT = 0;
  double stickerR = 0;
  double stickerB = 0;
  int32_t iUserImported = 0;
  CQeByteArray layoutelement;
  CQeByteArray surroundarea;
  int32_t iRemoved = 0;
};

// ---- The dish view ----

// Appends every dish (name row joined with its configuration).
int QeProjectDb_Dishdef_GetAll(uint32_t h, std::list<SQeProjectDbRow_dishdef>& rows);
// The dish whose name row has that key; row untouched when none.
int QeProjectDb_Dishdef_GetOne(uint32_t h, int64_t key, SQeProjectDbRow_dishdef& row);
// The dish whose name row has that uuid; found tells whether a row came
// back, and row is filled only then. Return the statement's status.
int QeProjectDb_Dishdef_GetOne(uint32_t h, const CQeStringW& uuid, SQeProjectDbRow_dishdef& row,
                               bool& found);
int QeProjectDb_Dishdef_GetOne(uint32_t h, const CQeStringW& uuid, SQeProjectDbRow_dishdef& row);
// The present custom dish of that model (letter case ignored).
int QeProjectDb_Dishdef_FindCustom(uint32_t h, const CQeStringW& model,
                                   SQeProjectDbRow_dishdef& row, bool& found);

// ---- The dish tables ----

// The configuration with that uuid (row untouched when none).
int QeProjectDb_Dishconfig_GetOne(uint32_t h, const CQeStringW& uuid,
                                  SQeProjectDbRow_dishconfiguration& row);

// Marks the custom dish with that uuid removed (1) or present again (0); a
// dish of another company is not changed.
int QeProjectDb_Dishname_RemoveCustom(uint32_t h, const CQeStringW& uuid);
int QeProjectDb_Dishname_UnremoveCustom(uint32_t h, const CQeStringW& uuid);

// Delete by keys in order, stopping at the first failure (its status).
// Deleting a configuration deletes the name rows that use it.
int QeProjectDb_Dishname_Delete(uint32_t h, const std::vector<int64_t>& keys);
int QeProjectDb_Dishconfig_Delete(uint32_t h, const std::vector<int64_t>& keys);

// Batch inserts (one transaction when the caller has none).
int QeProjectDb_Dishname_InsertMany(uint32_t h, std::list<SQeProjectDbRow_dishname>& rows);
int QeProjectDb_Dishconfig_InsertMany(uint32_t h,
                                      std::list<SQeProjectDbRow_dishconfiguration>& rows);

// Catalogue replacement in one transaction with the catalogue version
// "dish"; results as QeProjectDb_Wellplatename_Upgrade.
int QeProjectDb_Dishname_Upgrade(uint32_t h, std::list<SQeProjectDbRow_dishname>& rows,
                                 const std::vector<int64_t>& deleteKeys, int64_t version);
int QeProjectDb_Dishconfig_Upgrade(uint32_t h, std::list<SQeProjectDbRow_dishconfiguration>& rows,
                                   const std::vector<int64_t>& deleteKeys, int64_t version);
