// Storing user-made labware in a project database.
//
// The labware classes (qe/labware/) are geometry only and do not know the
// database, so the library keeps them free of it: what stores a user-made
// plate or dish is these free functions, which take the object and a
// connection handle. They use the labware record functions
// (labware_plate.h, labware_dish.h) and follow their conventions.
//
// A user-made plate carries the company "Custom wellplates" (a dish "Custom
// dishes"): that is what makes it custom for the record functions, which
// find, remove, restore and replace only such definitions.
#pragma once

#include <cstdint>

#include "qe/labware/single_element_holder.h"
#include "qe/labware/wellplate.h"
#include "qe/projectdb/records/labware_dish.h"
#include "qe/projectdb/records/labware_plate.h"

// The records of a user-made plate: name = user-imported 1 and the plate's
// uuid, company, type and model; configuration = a new uuid, the plate's row
// and column counts, its row and column naming types and the plate
// serialized into pData. Only those fields are set. Returns 0, or the
// serialization's status (pData then empty).
int QeProjectDb_Wellplate_FillCustomWellplateData(const CQeWellplate& plate,
                                                  SQeProjectDbRow_wellplatename& name,
                                                  SQeProjectDbRow_wellplateconfiguration& config);

// Stores a user-made plate:
//  1. When a plate with the plate's uuid is stored, nothing is inserted: a
//     removed one is made present again (the result is that statement's
//     status), a present one gives 0.
//  2. Otherwise, when a present custom plate has the same model, the result
//     is -9 and nothing is written.
//  3. Otherwise a new configuration and a name row under the plate's uuid
//     are inserted; the result is 0.
// Only a failed lookup in steps 1 and 2 reports its status; the inserts of
// step 3 are not checked, as the stored rows are what later reads see.
int QeProjectDb_Wellplate_SaveAsCustomToDb(uint32_t h, const CQeWellplate& plate);

// Stores the edited geometry of a user-made plate that is already stored.
//  - When a run used the plate (QeProjectDb_Plateinfo_Exists), the runs keep
//    the old definition: a new configuration and a name row with a new uuid
//    are inserted, the old name row is marked removed and replaced by the
//    new one, and plate gets the new uuid.
//  - Otherwise the plate's configuration is updated in place: counts, naming
//    types and pData (the old pData stays when the plate cannot be
//    serialized).
// Always returns 0.
int QeProjectDb_Wellplate_EditCustomInDb(uint32_t h, CQeWellplate& plate);

// Stores a user-made dish in the three steps of SaveAsCustomToDb for plates
// (restore a removed one with the same uuid; -9 when a present custom dish
// has the same model; else insert). The configuration gets a new uuid, the
// holder's sticker rectangle, its element serialized into layoutelement and
// its outline into surroundarea (an empty shape when it has none); the name
// row the holder's uuid, names and user-imported 1.
int QeProjectDb_Dish_SaveAsCustomToDb(uint32_t h, const CQeSingleElementHolder& dish);
