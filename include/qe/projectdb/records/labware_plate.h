// Well plates of a project database: named products (`wellplatename`) and
// their geometry (`wellplateconfiguration`), read through a joined view.
//
// Conventions of the labware record functions (this header, labware_dish.h,
// labware_slide.h, labware_used.h, labware_custom.h), besides those of every
// record family (qe/projectdb/records/project.h):
//  - A definition is present (`iRemoved` 0), removed (`iRemoved` 1) or
//    replaced (`iRemoved` 1 and `iWellplatenameKeyRef` naming the name row
//    that took its place). Removal never deletes rows; only Delete and
//    Upgrade do.
//  - User-made definitions carry the company "Custom wellplates" (plates) or
//    "Custom dishes" (dishes); only they are removed, restored or replaced by
//    the *Custom functions. Other rows are left as they are (status 0).
//  - The geometry blobs (`pData`, `layoutelement`, `surroundarea`) are
//    lite-variant documents of the labware classes (docs/file-format.md,
//    "Labware"); these functions store and return them as opaque bytes.
//  - Every uuid, company, model or other text placed in a statement is
//    escaped, so apostrophes, quotes and percent signs are plain characters.
//  - The built-in catalogue is written with the *_Upgrade functions, which
//    replace rows in one transaction and record the catalogue version of the
//    kind ("plate", "dish", "slide") in the table `vesion`.
//  - Lists (std::list) and vectors given to readers are appended to, never
//    cleared; InsertMany writes each new key into its record (0 when that
//    row failed).
#pragma once

#include <cstdint>
#include <list>
#include <vector>

#include "qe/core/byte_array.h"
#include "qe/core/string.h"

// The company of user-made well plates.
inline constexpr const wchar_t* kQeCustomWellplatesCompany = L"Custom wellplates";

// Names of the catalogue versions kept in `vesion`.
inline constexpr const wchar_t* kQeCatalogueVersionPlate = L"plate";
inline constexpr const wchar_t* kQeCatalogueVersionDish = L"dish";
inline constexpr const wchar_t* kQeCatalogueVersionSlide = L"slide";

struct SQeProjectDbRow_wellplateconfiguration {
  SQeProjectDbRow_wellplateconfiguration() = default;
  SQeProjectDbRow_wellplateconfiguration(int64_t key, const CQeStringW& uuid, int32_t rowCount,
                                         int32_t colCount, int32_t rowNaming, int32_t colNaming,
                                         const CQeByteArray& data)
      : iKey(key),
        wszUuid(uuid),
        iRowCount(rowCount),
        iColCount(colCount),
        iRowNaming(rowNaming),
        iColNaming(colNaming),
        pData(data) {}

  int64_t iKey = 0;
  CQeStringW wszUuid;  // unique
  int32_t iRowCount = 0;
  int32_t iColCount = 0;
  int32_t iRowNaming = 0;  // row naming type of the plate (0 numbers, else letters)
  int32_t iColNaming = 0;  // column naming type; the naming mode lives only in pData
  CQeByteArray pData;      // the serialized CQeWellplate
};

struct SQeProjectDbRow_wellplatename {
  SQeProjectDbRow_wellplatename() = default;
  SQeProjectDbRow_wellplatename(int64_t key, const CQeStringW& uuid, int64_t configKey,
                                const CQeStringW& company, const CQeStringW& type,
                                const CQeStringW& model, int32_t userImported, int32_t removed,
                                int64_t replacedByKey)
      : iKey(key),
        wszUuid(uuid),
        iWellplateconfigKeyRef(configKey),
        wszCompany(company),
        wszType(type),
        wszModel(model),
        iUserImported(userImported),
        iRemoved(removed),
        iWellplatenameKeyRef(replacedByKey) {}

  int64_t iKey = 0;
  CQeStringW wszUuid;                  // unique
  int64_t iWellplateconfigKeyRef = 0;  // the geometry
  CQeStringW wszCompany;
  CQeStringW wszType;
  CQeStringW wszModel;
  int32_t iUserImported = 0;         // 1 for plates the user imported or made
  int32_t iRemoved = 0;              // 1 when removed from use
  int64_t iWellplatenameKeyRef = 0;  // the name row that replaced this one; 0 (NULL) when none
};

// One plate as the joined view of its name row and its configuration.
struct SQeProjectDbRow_wellplatedef {
  SQeProjectDbRow_wellplatedef() = default;
  SQeProjectDbRow_wellplatedef(int64_t key, const CQeStringW& uuid, const CQeStringW& company,
                               const CQeStringW& type, const CQeStringW& model, int32_t rowCount,
                               int32_t colCount, int32_t rowNaming, int32_t colNaming,
                               int32_t userImported, const CQeByteArray& data, int32_t removed,
                               int64_t replacedByKey)
      : iKey(key),
        wszUuid(uuid),
        wszCompany(company),
        wszType(type),
        wszModel(model),
        iRowCount(rowCount),
        iColCount(colCount),
        iRowNaming(rowNaming),
        iColNaming(colNaming),
        iUserImported(userImported),
        pData(data),
        iRemoved(removed),
        iWellplatenameKeyRef(replacedByKey) {}

  int64_t iKey = 0;    // the name row's key
  CQeStringW wszUuid;  // the name row's uuid
  CQeStringW wszCompany;
  CQeStringW wszType;
  CQeStringW wszModel;
  int32_t iRowCount = 0;
  int32_t iColCount = 0;
  int32_t iRowNaming = 0;
  int32_t iColNaming = 0;
  int32_t iUserImported = 0;
  CQeByteArray pData;
  int32_t iRemoved = 0;
  int64_t iWellplatenameKeyRef = 0;
};

// ---- The plate view ----

// Appends every plate (name row joined with its configuration).
int QeProjectDb_Wellplatedef_GetAll(uint32_t h, std::list<SQeProjectDbRow_wellplatedef>& rows);

// The plate whose name row has that key; row is untouched when there is none.
// Returns the statement's status.
int QeProjectDb_Wellplatedef_GetOne(uint32_t h, int64_t key, SQeProjectDbRow_wellplatedef& row);

// The plate whose name row has that uuid. found tells whether a row came
// back; row is filled only then. Returns the statement's status.
int QeProjectDb_Wellplatedef_GetOne(uint32_t h, const CQeStringW& uuid,
                                    SQeProjectDbRow_wellplatedef& row, bool& found);
int QeProjectDb_Wellplatedef_GetOne(uint32_t h, const CQeStringW& uuid,
                                    SQeProjectDbRow_wellplatedef& row);

// The newest definition in the replacement chain that starts at the plate
// with that uuid: the plate itself when it was never replaced, else the
// plate that replaced it, and so on. The walk stops at the last row it
// could read: a chain that loops ends at the last plate before a key
// repeats, a replacing key without a readable row ends at the plate that
// names it. found is false (row untouched) when the uuid is unknown.
// Always returns 0.
int QeProjectDb_Wellplatedef_GetLatest(uint32_t h, const CQeStringW& uuid,
                                       SQeProjectDbRow_wellplatedef& row, bool& found);
int QeProjectDb_Wellplatedef_GetLatest(uint32_t h, const CQeStringW& uuid,
                                       SQeProjectDbRow_wellplatedef& row);

// The present (not removed) custom plate of that model, compared without
// regard to letter case; found and row as for GetOne by uuid.
int QeProjectDb_Wellplatedef_FindCustom(uint32_t h, const CQeStringW& model,
                                        SQeProjectDbRow_wellplatedef& row, bool& found);

// ---- The plate tables ----

// The name row with that uuid (row untouched when none); the select's status.
int QeProjectDb_Wellplatename_GetOne(uint32_t h, const CQeStringW& uuid,
                                     SQeProjectDbRow_wellplatename& row);
// The configuration with that uuid, or with that key (row untouched when
// none); the select's status.
int QeProjectDb_Wellplateconfig_GetOne(uint32_t h, const CQeStringW& uuid,
                                       SQeProjectDbRow_wellplateconfiguration& row);
int QeProjectDb_Wellplateconfig_GetOne(uint32_t h, int64_t key,
                                       SQeProjectDbRow_wellplateconfiguration& row);

// Writes the counts, naming types and pData of row into the configuration
// with row.iKey (the uuid stays). Returns the update's status (0 also when
// no row has that key).
int QeProjectDb_Wellplateconfig_Update(uint32_t h,
                                       const SQeProjectDbRow_wellplateconfiguration& row);

// Marks the custom plate with that uuid removed (1) or present again (0).
// A plate of another company is not changed. Return the statement's status.
int QeProjectDb_Wellplatename_RemoveCustom(uint32_t h, const CQeStringW& uuid);
int QeProjectDb_Wellplatename_UnremoveCustom(uint32_t h, const CQeStringW& uuid);
// Marks the custom plate with that uuid removed and replaced by the name row
// with key replacedByKey. A plate of another company is not changed.
int QeProjectDb_Wellplatename_ReplaceCustom(uint32_t h, const CQeStringW& uuid,
                                            int64_t replacedByKey);

// Delete the rows with those keys in order and stop at the first failure,
// whose status is returned (0 for no keys). Deleting a configuration deletes
// the name rows that use it; deleting a name row deletes the rows it
// replaced and the runs' plate records that name it (cascades).
int QeProjectDb_Wellplatename_Delete(uint32_t h, const std::vector<int64_t>& keys);
int QeProjectDb_Wellplateconfig_Delete(uint32_t h, const std::vector<int64_t>& keys);

// Inserts every record's columns after iKey, a replacing key of 0 as NULL,
// row by row in the caller's transaction or none (no transaction of its own,
// no retry on a busy database, so rows before a failure stay). Each new key
// goes into its record. Returns 0 or the first failure's status.
int QeProjectDb_Wellplatename_InsertMany(uint32_t h,
                                         std::list<SQeProjectDbRow_wellplatename>& rows);
// Batch insert of the configurations (one transaction when the caller has
// none; qe/projectdb/records/project.h describes the busy retry).
int QeProjectDb_Wellplateconfig_InsertMany(uint32_t h,
                                           std::list<SQeProjectDbRow_wellplateconfiguration>& rows);

// Catalogue replacement in one transaction: deletes the rows with the keys
// in deleteKeys, inserts rows (keys written back), and stores version as the
// catalogue version "plate". Returns 0 when everything was committed, the
// commit's status when the commit failed, and -9 when the transaction could
// not begin (for instance because the caller has one open) or any step
// failed; then nothing of the call remains (the version neither).
int QeProjectDb_Wellplatename_Upgrade(uint32_t h, std::list<SQeProjectDbRow_wellplatename>& rows,
                                      const std::vector<int64_t>& deleteKeys, int64_t version);
int QeProjectDb_Wellplateconfig_Upgrade(uint32_t h,
                                        std::list<SQeProjectDbRow_wellplateconfiguration>& rows,
                                        const std::vector<int64_t>& deleteKeys, int64_t version);

// ---- Catalogue versions ----

// The catalogue version stored under name (kQeCatalogueVersionPlate, ...),
// 0 when there is none. Returns the select's status.
int QeProjectDb_Labware_GetCatalogueVersion(uint32_t h, const CQeStringW& name, int64_t& version);
