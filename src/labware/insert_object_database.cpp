#include "qe/labware/insert_object_database.h"

#include "labware/catalogue_data.h"
#include "qe/core/status.h"

namespace cat = qe::labware::catalogue;

std::vector<SQeDbPlateConfig> CQeInsertObjectDatabase::m_vectWellplateConfigs;
std::vector<SQeDbHolderName> CQeInsertObjectDatabase::m_vectWellplateNames;
std::vector<SQeDbDishConfig> CQeInsertObjectDatabase::m_vectDishConfigs;
std::vector<SQeDbHolderName> CQeInsertObjectDatabase::m_vectDishNames;
std::vector<SQeDbSlideDef> CQeInsertObjectDatabase::m_vectSlides;

namespace {

SQeShape Shape(cat::WellShape kind, double size1, double size2) {
  return kind == cat::WellShape::kCircle ? SQeShape(size1) : SQeShape(size1, size2);
}

SQeDbPlateConfig PlateConfig(const cat::PlateGeometryRow& row) {
  CQeWellplate plate(row.uuid, static_cast<EQeElementNamingMode>(row.naming_mode),
                     static_cast<EQeElementNamingType>(row.row_naming),
                     static_cast<EQeElementNamingType>(row.col_naming), row.cols, row.rows,
                     row.pitch_x, row.pitch_y, row.width, row.height, row.offset_x, row.offset_y,
                     CQeLayoutElement(Shape(row.well, row.well_size1, row.well_size2)));
  return SQeDbPlateConfig{std::move(plate), row.version, 0};
}

SQeDbHolderName HolderName(const cat::NameRow& row) {
  return SQeDbHolderName{row.uuid, row.geometry_uuid, row.company, row.type, row.model, row.version,
                         0};
}

SQeDbDishConfig DishConfig(const cat::DishGeometryRow& row) {
  const CQeLayoutElement area(Shape(row.area, row.area_size1, row.area_size2));
  if (row.outline_radius > 0) {
    return SQeDbDishConfig{CQeSingleElementHolder(row.uuid, L"", L"", L"", area,
                                                  SQeShape(row.outline_radius), nullptr),
                           row.version, 0};
  }
  return SQeDbDishConfig{CQeSingleElementHolder(row.uuid, L"", L"", L"", area, nullptr),
                         row.version, 0};
}

SQeDbSlideDef SlideDef(const cat::SlideRow& row) {
  const CQeLayoutElement element(Shape(row.element, row.element_width, row.element_height));
  const SQeShape outline(row.outline_width, row.outline_height);
  const CQeRectBase<double> sticker(row.sticker_left, row.sticker_top, row.sticker_right,
                                    row.sticker_bottom);
  const bool has_sticker = sticker.right != sticker.left && sticker.bottom != sticker.top;
  return SQeDbSlideDef{CQeSingleElementHolder(row.uuid, row.size_text, L"", L"", element, outline,
                                              has_sticker ? &sticker : nullptr),
                       row.version, 0};
}

}  // namespace

int CQeInsertObjectDatabase::Init() {
  m_vectWellplateConfigs.clear();
  m_vectWellplateNames.clear();
  m_vectDishConfigs.clear();
  m_vectDishNames.clear();
  m_vectSlides.clear();
  m_vectWellplateConfigs.reserve(cat::kPlateGeometries.size());
  for (const auto& row : cat::kPlateGeometries) m_vectWellplateConfigs.push_back(PlateConfig(row));
  m_vectWellplateNames.reserve(cat::kPlateNames.size());
  for (const auto& row : cat::kPlateNames) m_vectWellplateNames.push_back(HolderName(row));
  m_vectDishConfigs.reserve(cat::kDishGeometries.size());
  for (const auto& row : cat::kDishGeometries) m_vectDishConfigs.push_back(DishConfig(row));
  m_vectDishNames.reserve(cat::kDishNames.size());
  for (const auto& row : cat::kDishNames) m_vectDishNames.push_back(HolderName(row));
  m_vectSlides.reserve(cat::kSlides.size());
  for (const auto& row : cat::kSlides) m_vectSlides.push_back(SlideDef(row));
  return eQeOk;
}

int CQeInsertObjectDatabase::Fini() { return eQeNotImplemented; }

uint32_t CQeInsertObjectDatabase::GetCount(EQeInsertObjectType type) {
  switch (type) {
    case eQeInsertObjectWellplateName:
      return static_cast<uint32_t>(m_vectWellplateNames.size());
    case eQeInsertObjectDishName:
      return static_cast<uint32_t>(m_vectDishNames.size());
    case eQeInsertObjectSlide:
      return static_cast<uint32_t>(m_vectSlides.size());
    case eQeInsertObjectWellplateConfig:
      return static_cast<uint32_t>(m_vectWellplateConfigs.size());
    case eQeInsertObjectDishConfig:
      return static_cast<uint32_t>(m_vectDishConfigs.size());
  }
  return 0;
}

int CQeInsertObjectDatabase::GetModelName(EQeInsertObjectType type, uint32_t index,
                                          CQeStringW& model) {
  switch (type) {
    case eQeInsertObjectWellplateName:
      if (index >= m_vectWellplateNames.size()) return eQeNotFound;
      model = m_vectWellplateNames[index].wszModel;
      return eQeOk;
    case eQeInsertObjectDishName:
      if (index >= m_vectDishNames.size()) return eQeNotFound;
      model = m_vectDishNames[index].wszModel;
      return eQeOk;
    case eQeInsertObjectSlide:
      if (index >= m_vectSlides.size()) return eQeNotFound;
      model = m_vectSlides[index].holder.GetModelName();
      return eQeOk;
    default:
      return eQeNotFound;
  }
}
