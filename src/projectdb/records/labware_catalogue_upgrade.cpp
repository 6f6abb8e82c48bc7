// Bringing the stored copy of the built-in labware catalogue to a catalogue
// version, one kind at a time.
#include <list>
#include <vector>

#include "projectdb/records/labware_serialize.h"
#include "qe/core/diag.h"
#include "qe/core/status.h"
#include "qe/labware/insert_object_database.h"
#include "qe/projectdb/records/labware_catalogue.h"
#include "qe/projectdb/records/labware_dish.h"
#include "qe/projectdb/records/labware_plate.h"
#include "qe/projectdb/records/labware_slide.h"

namespace {

using qe::projectdb::labware::SerializeLabware;
using Catalogue = CQeInsertObjectDatabase;

// What the shared opening steps decided.
struct Start {
  bool proceed = false;  // false: return status
  int status = 0;
  int64_t stored_raw = 0;  // as read from `vesion`
  int64_t stored = 0;      // 1 for a file filled before versions were kept
};

struct Kind {
  const wchar_t* version_name;
  int64_t highest;
  int32_t first_entry_version;
  const wchar_t* start_diag;
  bool catalogue_empty;
  bool (*first_row_exists)(uint32_t h);
};

Start Open(uint32_t h, int64_t target, const Kind& kind) {
  Start start;
  if (h == 0) {
    start.status = eQeFailed;
    return start;
  }
  start.status = QeProjectDb_Labware_GetCatalogueVersion(h, kind.version_name, start.stored_raw);
  if (start.status != 0) return start;
  if (start.stored_raw > target || target > kind.highest) {
    start.status = eQeFailed;
    return start;
  }
  if (start.stored_raw == target) return start;
  if (kind.catalogue_empty && target >= kind.first_entry_version) {
    // Storing the version without its entries would hide them for good.
    QE_DIAG(L"The labware catalogue is empty: CQeInsertObjectDatabase::Init was not called");
    start.status = eQeFailed;
    return start;
  }
  QE_DIAG(kind.start_diag);
  start.stored = start.stored_raw;
  if (start.stored <= 0 && kind.first_row_exists(h)) start.stored = 1;
  start.proceed = true;
  return start;
}

bool Wanted(int32_t version, const Start& start, int64_t target) {
  return version > start.stored && version <= target;
}

const wchar_t* Outcome(int status) { return status == 0 ? L"OK" : L"FAILED"; }

bool FirstPlateExists(uint32_t h) {
  SQeProjectDbRow_wellplatedef row;
  return QeProjectDb_Wellplatedef_GetOne(h, int64_t{1}, row) == 0 && row.iKey > 0;
}

bool FirstDishExists(uint32_t h) {
  SQeProjectDbRow_dishdef row;
  return QeProjectDb_Dishdef_GetOne(h, int64_t{1}, row) == 0 && row.iKey > 0;
}

bool FirstSlideExists(uint32_t h) {
  SQeProjectDbRow_slidedef row;
  return QeProjectDb_Slidedef_GetOne(h, int64_t{1}, row) == 0 && row.iKey > 0;
}

// The element and outline of a dish or slide as their blob columns.
int HolderBlobs(const CQeSingleElementHolder& holder, CQeByteArray& element,
                CQeByteArray& outline) {
  SQeShape shape;
  holder.GetShape(shape);  // an empty shape when there is no outline
  const int status = SerializeLabware(holder.GetLayoutElement(), element);
  return status != 0 ? status : SerializeLabware(shape, outline);
}

std::vector<int64_t> Keys(const auto& rows) {
  std::vector<int64_t> keys;
  for (const auto& row : rows) {
    if (row.iKey > 0) keys.push_back(row.iKey);
  }
  return keys;
}

}  // namespace

int QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs(uint32_t h, int64_t target) {
  const Kind kind{kQeCatalogueVersionPlate,
                  kQeCatalogueHighestPlateVersion,
                  4,
                  L"Updating Wellplate definitions...",
                  Catalogue::m_vectWellplateConfigs.empty(),
                  FirstPlateExists};
  const Start start = Open(h, target, kind);
  if (!start.proceed) return start.status;

  std::list<SQeProjectDbRow_wellplateconfiguration> configs;
  int status = 0;
  for (const auto& entry : Catalogue::m_vectWellplateConfigs) {
    if (!Wanted(entry.iVersion, start, target)) continue;
    const CQeWellplate& plate = entry.wellplate;
    uint32_t rows = 0, cols = 0;
    plate.GetElementCount(&rows, &cols);
    EQeElementNamingType row_naming, col_naming;
    plate.GetNaming(nullptr, &row_naming, &col_naming);
    SQeProjectDbRow_wellplateconfiguration& config =
        configs.emplace_back(0, plate.GetUuid(), static_cast<int32_t>(rows),
                             static_cast<int32_t>(cols), row_naming, col_naming, CQeByteArray());
    if (status == 0) status = SerializeLabware(plate, config.pData);
  }
  if (status == 0) status = QeProjectDb_Wellplateconfig_Upgrade(h, configs, {}, target);
  QE_DIAG(L"Upgrade (phase 1) %s", Outcome(status));
  if (status != 0) return status;

  std::list<SQeProjectDbRow_wellplatename> names;
  for (const auto& entry : Catalogue::m_vectWellplateNames) {
    if (!Wanted(entry.iVersion, start, target)) continue;
    SQeProjectDbRow_wellplateconfiguration config;
    if (status == 0) status = QeProjectDb_Wellplateconfig_GetOne(h, entry.wszConfigUuid, config);
    // A product whose geometry is not stored would point nowhere.
    if (status == 0 && config.iKey <= 0) status = eQeFailed;
    names.emplace_back(0, entry.wszUuid, config.iKey, entry.wszCompany, entry.wszType,
                       entry.wszModel, 0, 0, 0);
  }
  if (status == 0) status = QeProjectDb_Wellplatename_Upgrade(h, names, {}, target);
  QE_DIAG(L"Upgrade (phase 2) %s", Outcome(status));
  if (status != 0) {
    std::list<SQeProjectDbRow_wellplateconfiguration> none;
    const int undone =
        QeProjectDb_Wellplateconfig_Upgrade(h, none, Keys(configs), start.stored_raw);
    QE_DIAG(L"Upgrade (phase 1) taken back: %s", Outcome(undone));
  }
  return status;
}

int QeProjectDb_Wellplatedef_JobsUpgradeSystemDishDefs(uint32_t h, int64_t target) {
  const Kind kind{
      kQeCatalogueVersionDish,         kQeCatalogueHighestDishVersion,       2,
      L"Updating Dish definitions...", Catalogue::m_vectDishConfigs.empty(), FirstDishExists};
  const Start start = Open(h, target, kind);
  if (!start.proceed) return start.status;

  std::list<SQeProjectDbRow_dishconfiguration> configs;
  int status = 0;
  for (const auto& entry : Catalogue::m_vectDishConfigs) {
    if (!Wanted(entry.iVersion, start, target)) continue;
    SQeProjectDbRow_dishconfiguration& config = configs.emplace_back(
        0, entry.holder.GetUuid(), entry.holder.GetStickerRect(), CQeByteArray(), CQeByteArray());
    if (status == 0) status = HolderBlobs(entry.holder, config.layoutelement, config.surroundarea);
  }
  if (status == 0) status = QeProjectDb_Dishconfig_Upgrade(h, configs, {}, target);
  QE_DIAG(L"Upgrade (phase 1) %s", Outcome(status));
  if (status != 0) return status;

  std::list<SQeProjectDbRow_dishname> names;
  for (const auto& entry : Catalogue::m_vectDishNames) {
    if (!Wanted(entry.iVersion, start, target)) continue;
    SQeProjectDbRow_dishconfiguration config;
    if (status == 0) status = QeProjectDb_Dishconfig_GetOne(h, entry.wszConfigUuid, config);
    if (status == 0 && config.iKey <= 0) status = eQeFailed;
    names.emplace_back(0, entry.wszUuid, config.iKey, entry.wszCompany, entry.wszType,
                       entry.wszModel, 0, 0);
  }
  if (status == 0) status = QeProjectDb_Dishname_Upgrade(h, names, {}, target);
  QE_DIAG(L"Upgrade (phase 2) %s", Outcome(status));
  if (status != 0) {
    std::list<SQeProjectDbRow_dishconfiguration> none;
    const int undone = QeProjectDb_Dishconfig_Upgrade(h, none, Keys(configs), start.stored_raw);
    QE_DIAG(L"Upgrade (phase 1) taken back: %s", Outcome(undone));
  }
  return status;
}

int QeProjectDb_Wellplatedef_JobsUpgradeSystemSlideDefs(uint32_t h, int64_t target) {
  const Kind kind{
      kQeCatalogueVersionSlide,         kQeCatalogueHighestSlideVersion, 2,
      L"Updating Slide definitions...", Catalogue::m_vectSlides.empty(), FirstSlideExists};
  const Start start = Open(h, target, kind);
  if (!start.proceed) return start.status;

  std::list<SQeProjectDbRow_slidedef> slides;
  int status = 0;
  for (const auto& entry : Catalogue::m_vectSlides) {
    if (!Wanted(entry.iVersion, start, target)) continue;
    const CQeSingleElementHolder& holder = entry.holder;
    const CQeRectBase<double>& sticker = holder.GetStickerRect();
    SQeProjectDbRow_slidedef& slide =
        slides.emplace_back(0, holder.GetUuid(), holder.GetCompanyName(), holder.GetTypeName(),
                            holder.GetModelName(), sticker.left, sticker.top, sticker.right,
                            sticker.bottom, 0, CQeByteArray(), CQeByteArray(), 0);
    if (status == 0) status = HolderBlobs(holder, slide.layoutelement, slide.surroundarea);
  }
  if (status == 0) status = QeProjectDb_Slidedef_Upgrade(h, slides, {}, target);
  QE_DIAG(L"Upgrade %s", Outcome(status));
  return status;
}
