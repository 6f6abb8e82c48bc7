// Well plates carried between project databases in XML plate files: the
// user import and the export that writes the same layout.
#include <list>

#include "projectdb/records/labware_serialize.h"
#include "qe/core/lite_variant.h"
#include "qe/core/rtti.h"
#include "qe/core/serializer.h"
#include "qe/core/status.h"
#include "qe/core/variant.h"
#include "qe/labware/wellplate.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/records/labware_catalogue.h"
#include "qe/projectdb/records/labware_plate.h"
#include "qe/projectdb/sys.h"

namespace {

using qe::projectdb::labware::SerializeLabware;

constexpr const wchar_t* kPlatesLevel = L"Wellplates";
constexpr const wchar_t* kImportSavepoint = L"qe_user_plate_import";

// An XML file serializer made by the core library's factory, released with
// the object.
class XmlPlateFile {
 public:
  explicit XmlPlateFile(const CQeStringW& path)
      : serializer_(static_cast<IQeSerializer*>(
            CQeRTTI::CreateAndQuery(L"CQeSerializerXMLFile", L"IQeSerializer", __FILE__))) {
    if (serializer_ != nullptr) serializer_->SetValue(CQeVariant(path, L"filename"));
  }
  ~XmlPlateFile() {
    if (serializer_ != nullptr) CQeRTTI::Release(serializer_);
  }
  XmlPlateFile(const XmlPlateFile&) = delete;
  XmlPlateFile& operator=(const XmlPlateFile&) = delete;

  int Read(CQeLiteVariantR& document) {
    return serializer_ != nullptr ? serializer_->Read(document) : eQeFailed;
  }
  int Write(const CQeLiteVariantR& document) {
    return serializer_ != nullptr ? serializer_->Write(document) : eQeFailed;
  }

 private:
  IQeSerializer* serializer_;
};

// The records of one imported plate; the plate itself loses its uuid and
// names, which only the name row keeps.
int ImportRecords(CQeWellplate& plate, SQeProjectDbRow_wellplateconfiguration& config,
                  SQeProjectDbRow_wellplatename& name) {
  name = SQeProjectDbRow_wellplatename(0, QeProjectDb_Sys_UuidAsText(), 0, plate.GetCompanyName(),
                                       plate.GetTypeName(), plate.GetModelName(), 1, 0, 0);
  uint32_t rows = 0, cols = 0;
  plate.GetElementCount(&rows, &cols);
  EQeElementNamingType row_naming, col_naming;
  plate.GetNaming(nullptr, &row_naming, &col_naming);
  config = SQeProjectDbRow_wellplateconfiguration(
      0, QeProjectDb_Sys_UuidAsText(), static_cast<int32_t>(rows), static_cast<int32_t>(cols),
      row_naming, col_naming, CQeByteArray());
  plate.SetUuid(L"");
  plate.SetCompanyName(L"");
  plate.SetTypeName(L"");
  plate.SetModelName(L"");
  return SerializeLabware(plate, config.pData);
}

// Inserts the configurations, links each name to its configuration's new
// key and inserts the names, all inside one savepoint.
int StoreImported(uint32_t h, std::list<SQeProjectDbRow_wellplateconfiguration>& configs,
                  std::list<SQeProjectDbRow_wellplatename>& names) {
  if (QeProjectDb_Db_SavepointSet(h, kImportSavepoint) != 0) return eQeFailed;
  int status = QeProjectDb_Wellplateconfig_InsertMany(h, configs);
  if (status == 0) {
    auto config = configs.begin();
    for (auto& name : names) name.iWellplateconfigKeyRef = (config++)->iKey;
    status = QeProjectDb_Wellplatename_InsertMany(h, names);
  }
  if (status != 0) QeProjectDb_Db_SavepointRollback(h, kImportSavepoint);
  const int released = QeProjectDb_Db_SavepointRelease(h, kImportSavepoint);
  return status != 0 ? status : released;
}

}  // namespace

int QeProjectDb_Wellplatedef_ImportUserPlateDefs(uint32_t h, const CQeStringW& path, int* imported,
                                                 int* skipped) {
  if (imported != nullptr) *imported = 0;
  if (skipped != nullptr) *skipped = 0;
  if (path.IsEmpty()) return eQeNoPathOrTooNew;
  CQeLiteVariantR document;
  int status = XmlPlateFile(path).Read(document);
  if (status != 0) return status;
  if (document.LevelBegin(kPlatesLevel) != 0) return eQeUnusableFile;

  std::list<SQeProjectDbRow_wellplateconfiguration> configs;
  std::list<SQeProjectDbRow_wellplatename> names;
  int not_loaded = 0;
  while (document.CurrentLevelBegin() == 0) {
    CQeWellplate plate;
    const int loaded = plate.LoadFromLiteVariant(document);
    document.LevelEnd();
    SQeProjectDbRow_wellplateconfiguration config;
    SQeProjectDbRow_wellplatename name;
    if (loaded != 0 || ImportRecords(plate, config, name) != 0) {
      ++not_loaded;
      continue;
    }
    configs.push_back(std::move(config));
    names.push_back(std::move(name));
  }
  if (skipped != nullptr) *skipped = not_loaded;
  if (configs.empty()) return eQeOk;
  status = StoreImported(h, configs, names);
  if (status == 0 && imported != nullptr) *imported = static_cast<int>(names.size());
  return status;
}

void QeProjectDb_Wellplatedef_InsertOrReplaceUserPlateDefs(uint32_t h, const CQeStringW& path) {
  QeProjectDb_Wellplatedef_ImportUserPlateDefs(h, path, nullptr, nullptr);
}

int QeProjectDb_Wellplatedef_ExportUserPlateDefs(uint32_t h, const CQeStringW& path, bool userOnly,
                                                 int* exported, int* skipped) {
  if (exported != nullptr) *exported = 0;
  if (skipped != nullptr) *skipped = 0;
  if (path.IsEmpty()) return eQeNoPathOrTooNew;
  std::list<SQeProjectDbRow_wellplatedef> rows;
  int status = QeProjectDb_Wellplatedef_GetAll(h, rows);
  if (status != 0) return status;

  CQeLiteVariantW writer;
  writer.LevelBegin(kPlatesLevel);
  int written = 0, not_loaded = 0;
  for (const auto& row : rows) {
    if (row.iRemoved != 0 || (userOnly && row.iUserImported != 1)) continue;
    CQeWellplate plate;
    CQeLiteVariantR stored(row.pData);
    if (plate.LoadFromLiteVariant(stored) != 0) {
      ++not_loaded;
      continue;
    }
    plate.SetUuid(row.wszUuid);
    plate.SetCompanyName(row.wszCompany);
    plate.SetTypeName(row.wszType);
    plate.SetModelName(row.wszModel);
    writer.LevelBegin();
    plate.SaveToLiteVariant(writer);
    writer.LevelEnd();
    ++written;
  }
  writer.LevelEnd();
  CQeLiteVariantR document;
  status = writer.Finalize(document);
  if (status == 0) status = XmlPlateFile(path).Write(document);
  if (status == 0) {
    if (exported != nullptr) *exported = written;
    if (skipped != nullptr) *skipped = not_loaded;
  }
  return status;
}
