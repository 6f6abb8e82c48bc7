// The built-in labware catalogue in a project database, and well plates
// carried between databases in XML files.
//
// Conventions (besides those of the labware record functions, which open
// qe/projectdb/records/labware_plate.h):
//  - The catalogue comes from CQeInsertObjectDatabase
//    (qe/labware/insert_object_database.h), which the host fills with Init
//    once before calling these functions.
//  - A project database keeps one catalogue version per kind in `vesion`
//    ("plate", "dish", "slide"; 0 when none is stored). An upgrade writes the
//    catalogue entries of every version above the stored one up to the
//    target, through the transactional *_Upgrade record functions, and
//    stores the target. Plate entries belong to versions 4 to 6, dish and
//    slide entries to version 2.
//  - Diagnostics: "Updating Wellplate definitions..." (Dish, Slide) when an
//    upgrade starts, then "Upgrade (phase 1) OK" or "FAILED" and the same for
//    phase 2 (slides: "Upgrade OK" or "FAILED").
//  - Plate files are lite-variant documents written as XML by
//    CQeSerializerXMLFile (docs/file-format.md, "Lite-variant documents as
//    XML"): the top holds the level "Wellplates", which holds one unnamed
//    level per plate holding the plate's "CQeWellplate" level with the
//    plate's own uuid and names.
//  - Run on the caller's thread; no locks of their own.
#pragma once

#include <cstdint>

#include "qe/core/string.h"

// The highest catalogue version of each kind.
inline constexpr int64_t kQeCatalogueHighestPlateVersion = 6;
inline constexpr int64_t kQeCatalogueHighestDishVersion = 2;
inline constexpr int64_t kQeCatalogueHighestSlideVersion = 2;

// Brings the stored built-in well plates to catalogue version target:
//  1. Reads the stored version. When it is 0 or less but the plate with name
//     key 1 exists (a file filled before versions were kept), it counts as 1.
//  2. Phase 1 stores the geometries (`wellplateconfiguration`) of the
//     versions above the stored one up to target and the version target;
//     phase 2, only when phase 1 succeeded, stores the products
//     (`wellplatename`) of those versions, each linked to its geometry.
//  3. When phase 2 fails, phase 1 is taken back (its geometries deleted, the
//     stored version put back), so a failed upgrade leaves the plate tables
//     and the stored version as they were and can be tried again.
// Returns 0 when stored and target are equal (nothing written, no
// diagnostics) or both phases succeeded; -9 when h is 0, target is below
// the stored version or above 6, the catalogue is needed but was not
// filled (Init), or a phase failed; the status of a failed version read.
int QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs(uint32_t h, int64_t target);

// The same for dishes (`dishconfiguration`, then `dishname`; highest
// version 2).
int QeProjectDb_Wellplatedef_JobsUpgradeSystemDishDefs(uint32_t h, int64_t target);

// The same for slides in one phase (`slidedef`; highest version 2; the
// stored version counts as 1 when the slide with key 1 exists).
int QeProjectDb_Wellplatedef_JobsUpgradeSystemSlideDefs(uint32_t h, int64_t target);

// Imports the well plates of an XML plate file as user-imported plates:
// each plate that loads becomes a new configuration (a new uuid; its counts,
// naming types and geometry, stored without uuid or names) and a new name
// row (a new uuid; the plate's company, type and model; user-imported 1).
// A plate entry (an unnamed level of "Wellplates") that does not load as a
// plate is skipped; other entries are ignored. All plates of the file are
// stored inside one savepoint, so a failing insert stores none of them.
// imported and skipped (when not null) receive the number of plates stored
// and of plate entries skipped. Returns 0; -1 for an empty path; -13 when
// the file does not exist; -10 when it is not a lite-variant XML document
// or has no level "Wellplates"; -9 when the savepoint cannot be set (for
// instance h is 0); a failed insert's status.
int QeProjectDb_Wellplatedef_ImportUserPlateDefs(uint32_t h, const CQeStringW& path, int* imported,
                                                 int* skipped);

// QeProjectDb_Wellplatedef_ImportUserPlateDefs without results: a file that
// cannot be read stores nothing, a plate that cannot be loaded is skipped.
void QeProjectDb_Wellplatedef_InsertOrReplaceUserPlateDefs(uint32_t h, const CQeStringW& path);

// Writes the present (not removed) well plates of the database to an XML
// plate file, replacing it: each plate's stored geometry with the uuid,
// company, type and model of its name row. With userOnly, only plates with
// user-imported 1 (made or imported by users) are written. A plate whose
// geometry cannot be read is left out and counted in skipped. exported and
// skipped (when not null) receive the counts. Returns 0; -1 for an empty
// path; -9 when the file cannot be written; a failed read's status.
int QeProjectDb_Wellplatedef_ExportUserPlateDefs(uint32_t h, const CQeStringW& path, bool userOnly,
                                                 int* exported, int* skipped);
