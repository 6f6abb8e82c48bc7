// Pieces of `projectdb labware`: its subcommands, the labware they read, and
// the drawing of a definition.
//
// The subcommands are rows of kLabwareSubcommands (cmd_labware.cpp); a new
// one is a file with its run function, a row there and its lines in the
// help text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "qe/core/string.h"
#include "qe/labware/element_holder.h"

namespace qe::cli::labware {

int RunList(const std::vector<std::string>& args);
int RunShow(const std::vector<std::string>& args);
// refresh, import and export (labware_catalogue.cpp).
int RunRefresh(const std::vector<std::string>& args);
int RunImport(const std::vector<std::string>& args);
int RunExport(const std::vector<std::string>& args);

// One stored definition, whatever its kind.
struct Definition {
  enum Kind { kPlate, kDish, kSlide };
  Kind kind = kPlate;
  int64_t key = 0;
  CQeStringW uuid;
  CQeStringW company;
  CQeStringW type;
  CQeStringW model;
  bool userImported = false;
  bool removed = false;
  int64_t replacedBy = 0;  // name row key of the successor (plates); 0 when none
  int32_t rows = 0;        // plates only
  int32_t cols = 0;
};

// "plate", "dish", "slide".
const char* KindName(Definition::Kind kind);
// "present", "removed", "replaced".
const char* StateName(const Definition& definition);

// Every plate, dish and slide of the database; false (and a message on
// stderr for command) when one of the reads failed.
bool ReadAll(uint32_t handle, const char* command, std::vector<Definition>& out);

// The definition with that uuid and its geometry as a holder (a CQeWellplate
// or a CQeSingleElementHolder named like the row). found is false when no
// definition has the uuid. holder is null when the stored geometry cannot
// be loaded. Returns the first read's failing status, else 0.
int FindByUuid(uint32_t handle, const CQeStringW& uuid, Definition& definition,
               std::unique_ptr<IQeElementHolder>& holder, bool& found);

// Draws the holder to scale into a PNG file: its outline, every element's
// shape with its name, and the sticker; a title and a 10 mm scale bar.
// Returns 0, -9 when the file cannot be written, -13 when the holder has
// nothing to draw.
int DrawPng(const IQeElementHolder& holder, const CQeStringW& title, const CQeStringW& fileName);

}  // namespace qe::cli::labware
