// The built-in labware catalogue: commercial well plates, dishes and slides
// that a project database offers without any import.
//
// Conventions:
//  - Geometries and products are separate lists: a product entry names its
//    company, type and model and points by uuid to the geometry it uses;
//    many products share one geometry. Geometries carry no names.
//  - Every entry belongs to a catalogue version: well-plate entries 4,
//    except one Falcon product and its geometry (5) and the ibidi eight-well
//    chamber slides and their geometry (6); dish and slide entries 2. The
//    catalogue upgrade of a project database writes the entries of the
//    versions it has not stored yet.
//  - Uuids are 32 lower-case hexadecimal digits; lengths are micrometres.
//  - Status results: 0 success, -2 (eQeNotImplemented), -13 (eQeNotFound).
//  - The lists are process-wide and start empty. Init fills them; the host
//    calls it once, before any thread reads the catalogue. After that the
//    lists are only read, which any number of threads may do at once. Init
//    while another thread reads the lists is a data race: there is no lock,
//    because the public lists are read directly by their users.
#pragma once

#include <cstdint>
#include <vector>

#include "qe/core/string.h"
#include "qe/labware/single_element_holder.h"
#include "qe/labware/wellplate.h"

// A well-plate geometry: the plate's uuid identifies the geometry, its names
// are empty.
struct SQeDbPlateConfig {
  CQeWellplate wellplate;
  int32_t iVersion = 0;
  int32_t iFlag = 0;  // 0 in every entry
};

// A product (well plate or dish): its own uuid and that of its geometry.
struct SQeDbHolderName {
  CQeStringW wszUuid;
  CQeStringW wszConfigUuid;
  CQeStringW wszCompany;
  CQeStringW wszType;
  CQeStringW wszModel;
  int32_t iVersion = 0;
  int32_t iFlag = 0;  // 0 in every entry
};

// A dish geometry: the usable area as the holder's element and, when the
// dish has one, its circular outer outline. Names are empty.
struct SQeDbDishConfig {
  CQeSingleElementHolder holder;
  int32_t iVersion = 0;
  int32_t iFlag = 0;
};

// A slide: uuid, the size text as company name (type and model empty), the
// element, the outline and an optional sticker.
struct SQeDbSlideDef {
  CQeSingleElementHolder holder;
  int32_t iVersion = 0;
  int32_t iFlag = 0;
};

// Selects a list. 3 selects nothing.
enum EQeInsertObjectType : int32_t {
  eQeInsertObjectWellplateName = 0,
  eQeInsertObjectDishName = 1,
  eQeInsertObjectSlide = 2,
  eQeInsertObjectWellplateConfig = 4,
  eQeInsertObjectDishConfig = 5,
};

class CQeInsertObjectDatabase {
 public:
  // Empties the five lists and fills them from the catalogue data: plate
  // geometries, plate products, dish geometries, dish products, slides, each
  // in catalogue order. Calling it again gives the same lists. Returns 0.
  static int Init();
  // Returns -2 and changes nothing: the lists live as long as the library.
  static int Fini();
  // The length of the selected list; 0 for any other type.
  static uint32_t GetCount(EQeInsertObjectType type);
  // The model of entry index: for well-plate and dish products the product's
  // model, for slides the holder's model (empty for the built-in slides).
  // Returns 0, or -13 when the index is past the end or the type selects no
  // product or slide list (model untouched).
  static int GetModelName(EQeInsertObjectType type, uint32_t index, CQeStringW& model);

  static std::vector<SQeDbPlateConfig> m_vectWellplateConfigs;
  static std::vector<SQeDbHolderName> m_vectWellplateNames;
  static std::vector<SQeDbDishConfig> m_vectDishConfigs;
  static std::vector<SQeDbHolderName> m_vectDishNames;
  static std::vector<SQeDbSlideDef> m_vectSlides;
};
