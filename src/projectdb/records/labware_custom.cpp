// User-made plates and dishes stored through the labware record functions.
#include "qe/projectdb/records/labware_custom.h"

#include <list>

#include "projectdb/records/labware_serialize.h"
#include "qe/core/lite_variant.h"
#include "qe/core/status.h"
#include "qe/projectdb/records/labware_dish.h"
#include "qe/projectdb/records/labware_used.h"
#include "qe/projectdb/sys.h"

namespace {

void FillCounts(const CQeWellplate& plate, SQeProjectDbRow_wellplateconfiguration& config) {
  uint32_t rows = 0;
  uint32_t cols = 0;
  plate.GetElementCount(&rows, &cols);
  EQeElementNamingType rowNaming{};
  EQeElementNamingType colNaming{};
  plate.GetNaming(nullptr, &rowNaming, &colNaming);
  config.iRowCount = static_cast<int32_t>(rows);
  config.iColCount = static_cast<int32_t>(cols);
  config.iRowNaming = static_cast<int32_t>(rowNaming);
  config.iColNaming = static_cast<int32_t>(colNaming);
}

// Inserts the configuration, links the name row to it and inserts that. The
// results are not checked: what counts is what later reads find.
void InsertPlate(uint32_t h, SQeProjectDbRow_wellplatename& name,
                 const SQeProjectDbRow_wellplateconfiguration& config) {
  std::list<SQeProjectDbRow_wellplateconfiguration> configs{config};
  QeProjectDb_Wellplateconfig_InsertMany(h, configs);
  SQeProjectDbRow_wellplateconfiguration stored;
  QeProjectDb_Wellplateconfig_GetOne(h, config.wszUuid, stored);
  name.iWellplateconfigKeyRef = stored.iKey;
  std::list<SQeProjectDbRow_wellplatename> names{name};
  QeProjectDb_Wellplatename_InsertMany(h, names);
  name.iKey = names.front().iKey;
}

}  // namespace

int QeProjectDb_Wellplate_FillCustomWellplateData(const CQeWellplate& plate,
                                                  SQeProjectDbRow_wellplatename& name,
                                                  SQeProjectDbRow_wellplateconfiguration& config) {
  name.iUserImported = 1;
  name.wszUuid = plate.GetUuid();
  name.wszCompany = plate.GetCompanyName();
  name.wszType = plate.GetTypeName();
  name.wszModel = plate.GetModelName();
  config.wszUuid = QeProjectDb_Sys_UuidAsText();
  FillCounts(plate, config);
  config.pData.Empty();
  return qe::projectdb::labware::SerializeLabware(plate, config.pData);
}

int QeProjectDb_Wellplate_SaveAsCustomToDb(uint32_t h, const CQeWellplate& plate) {
  SQeProjectDbRow_wellplatedef stored;
  bool found = false;
  int status = QeProjectDb_Wellplatedef_GetOne(h, plate.GetUuid(), stored, found);
  if (status != 0) return status;
  if (found) {
    if (stored.iRemoved == 1) return QeProjectDb_Wellplatename_UnremoveCustom(h, plate.GetUuid());
    return 0;
  }
  status = QeProjectDb_Wellplatedef_FindCustom(h, plate.GetModelName(), stored, found);
  if (status != 0) return status;
  if (found) return eQeFailed;

  SQeProjectDbRow_wellplatename name;
  SQeProjectDbRow_wellplateconfiguration config;
  QeProjectDb_Wellplate_FillCustomWellplateData(plate, name, config);
  InsertPlate(h, name, config);
  return 0;
}

int QeProjectDb_Wellplate_EditCustomInDb(uint32_t h, CQeWellplate& plate) {
  if (QeProjectDb_Plateinfo_Exists(h, plate.GetUuid())) {
    SQeProjectDbRow_wellplatename name;
    SQeProjectDbRow_wellplateconfiguration config;
    QeProjectDb_Wellplate_FillCustomWellplateData(plate, name, config);
    const CQeStringW newUuid = QeProjectDb_Sys_UuidAsText();
    name.wszUuid = newUuid;
    InsertPlate(h, name, config);
    SQeProjectDbRow_wellplatename stored;
    QeProjectDb_Wellplatename_GetOne(h, newUuid, stored);
    QeProjectDb_Wellplatename_ReplaceCustom(h, plate.GetUuid(), stored.iKey);
    plate.SetUuid(newUuid);
    return 0;
  }
  SQeProjectDbRow_wellplatename name;
  QeProjectDb_Wellplatename_GetOne(h, plate.GetUuid(), name);
  SQeProjectDbRow_wellplateconfiguration config;
  QeProjectDb_Wellplateconfig_GetOne(h, name.iWellplateconfigKeyRef, config);
  FillCounts(plate, config);
  CQeByteArray data;
  if (qe::projectdb::labware::SerializeLabware(plate, data) == 0) {
    config.pData = data;
  }
  QeProjectDb_Wellplateconfig_Update(h, config);
  return 0;
}

int QeProjectDb_Dish_SaveAsCustomToDb(uint32_t h, const CQeSingleElementHolder& dish) {
  SQeProjectDbRow_dishdef stored;
  bool found = false;
  int status = QeProjectDb_Dishdef_GetOne(h, dish.GetUuid(), stored, found);
  if (status != 0) return status;
  if (found) {
    if (stored.iRemoved == 1) return QeProjectDb_Dishname_UnremoveCustom(h, dish.GetUuid());
    return 0;
  }
  status = QeProjectDb_Dishdef_FindCustom(h, dish.GetModelName(), stored, found);
  if (status != 0) return status;
  if (found) return eQeFailed;

  SQeProjectDbRow_dishconfiguration config;
  config.wszUuid = QeProjectDb_Sys_UuidAsText();
  const CQeRectBase<double>& sticker = dish.GetStickerRect();
  config.stickerL = sticker.left;
  config.stickerT = sticker.top;
  config.stickerR = sticker.right;
  config.stickerB = sticker.bottom;
  qe::projectdb::labware::SerializeLabware(dish.GetLayoutElement(), config.layoutelement);
  SQeShape outline;
  dish.GetShape(outline);
  qe::projectdb::labware::SerializeLabware(outline, config.surroundarea);
  std::list<SQeProjectDbRow_dishconfiguration> configs{config};
  QeProjectDb_Dishconfig_InsertMany(h, configs);
  SQeProjectDbRow_dishconfiguration storedConfig;
  QeProjectDb_Dishconfig_GetOne(h, config.wszUuid, storedConfig);

  std::list<SQeProjectDbRow_dishname> names{
      SQeProjectDbRow_dishname(0, dish.GetUuid(), storedConfig.iKey, dish.GetCompanyName(),
                               dish.GetTypeName(), dish.GetModelName(), 1, 0)};
  QeProjectDb_Dishname_InsertMany(h, names);
  return 0;
}
