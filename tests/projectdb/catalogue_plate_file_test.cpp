// Well plates carried between databases in XML plate files: export, import,
// and files that are not what they should be.
#include <fstream>
#include <list>
#include <string>
#include <vector>

#include "projectdb/records_labware_support.h"
#include "qe/core/lite_variant.h"
#include "qe/core/lite_variant_xml.h"
#include "qe/core/status.h"
#include "qe/projectdb/records/labware_catalogue.h"
#include "qe/projectdb/records/labware_custom.h"

namespace qe::test {
namespace {

class PlateFile : public CatalogueDbTest {
 protected:
  // A user-made plate stored in h_.
  CQeWellplate SaveCustom(const CQeStringW& uuid, const CQeStringW& model, SQeShape well,
                          uint32_t cols, uint32_t rows, double pitch) {
    CQeWellplate plate(uuid, kQeCustomWellplatesCompany, L"Glass \"bottom\" 100%", model,
                       eQeNamingModeRowColumn, eQeNamingLetters, eQeNamingNumbers, cols, rows,
                       pitch, pitch, 127760, 85480, 14380, 11240, CQeLayoutElement(well));
    EXPECT_EQ(QeProjectDb_Wellplate_SaveAsCustomToDb(h_, plate), eQeOk);
    return plate;
  }

  // The stored plates of h, name rows joined with their geometry.
  static std::list<SQeProjectDbRow_wellplatedef> Plates(uint32_t h) {
    std::list<SQeProjectDbRow_wellplatedef> rows;
    EXPECT_EQ(QeProjectDb_Wellplatedef_GetAll(h, rows), eQeOk);
    return rows;
  }

  void WriteText(const std::string& name, const std::string& text) {
    std::ofstream(dir_.File(name), std::ios::binary) << text;
  }

  // Writes a document through the XML layout of plate files.
  void WriteDocument(const std::string& name, const CQeLiteVariantW& writer) {
    CQeLiteVariantR document;
    ASSERT_EQ(writer.Finalize(document), eQeOk);
    pugi::xml_document xml;
    ASSERT_EQ(qe::LiteVariantToXml(document, xml.append_child("QeLiteVariant")), eQeOk);
    ASSERT_TRUE(xml.save_file(dir_.File(name).c_str()));
  }

  int Import(const std::string& name, uint32_t h, int* imported = nullptr, int* skipped = nullptr) {
    return QeProjectDb_Wellplatedef_ImportUserPlateDefs(h, dir_.FileW(name), imported, skipped);
  }
};

TEST_F(PlateFile, CustomPlatesTravelToAnotherDatabase) {
  ASSERT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs(h_, 6), eQeOk);
  const CQeWellplate round = SaveCustom(L"aaaa0000aaaa0000aaaa0000aaaa0000", L"O'Brien's 96 \u00e9",
                                        SQeShape(3100), 12, 8, 9000);
  const CQeWellplate square = SaveCustom(L"bbbb0000bbbb0000bbbb0000bbbb0000", L"384 % square",
                                         SQeShape(3000, 3000), 24, 16, 4500);

  int exported = -1, skipped = -1;
  ASSERT_EQ(QeProjectDb_Wellplatedef_ExportUserPlateDefs(h_, dir_.FileW("custom.xml"), true,
                                                         &exported, &skipped),
            eQeOk);
  EXPECT_EQ(exported, 2);
  EXPECT_EQ(skipped, 0);

  const uint32_t other = NewDatabase("other.db");
  int imported = -1;
  ASSERT_EQ(Import("custom.xml", other, &imported, &skipped), eQeOk);
  EXPECT_EQ(imported, 2);
  EXPECT_EQ(skipped, 0);

  const auto rows = Plates(other);
  ASSERT_EQ(rows.size(), 2u);
  for (const auto& row : rows) {
    const CQeWellplate& original = row.wszModel == round.GetModelName() ? round : square;
    SCOPED_TRACE(original.GetModelName().ToUtf8());
    EXPECT_EQ(
        row.wszCompany + L"/" + row.wszType + L"/" + row.wszModel,
        original.GetCompanyName() + L"/" + original.GetTypeName() + L"/" + original.GetModelName());
    EXPECT_EQ(std::vector<int>({row.iUserImported, row.iRemoved, row.iRowCount * row.iColCount,
                                row.iRowNaming, row.iColNaming}),
              std::vector<int>({1, 0, static_cast<int>(original.GetElementCount()),
                                eQeNamingLetters, eQeNamingNumbers}));
    EXPECT_EQ(row.wszUuid.GetLength(), 32);
    EXPECT_NE(row.wszUuid, original.GetUuid());  // imports get uuids of their own

    // The stored geometry carries no names; with the name row's it is the
    // plate that was exported.
    CQeWellplate stored;
    CQeLiteVariantR reader(row.pData);
    ASSERT_EQ(stored.LoadFromLiteVariant(reader), eQeOk);
    EXPECT_EQ(
        stored.GetUuid() + stored.GetCompanyName() + stored.GetTypeName() + stored.GetModelName(),
        L"");
    stored.SetCompanyName(row.wszCompany);
    stored.SetTypeName(row.wszType);
    stored.SetModelName(row.wszModel);
    EXPECT_TRUE(stored.EqualWellplate(original));
  }

  // Without the user filter every present plate goes out, catalogue included.
  ASSERT_EQ(QeProjectDb_Wellplatedef_ExportUserPlateDefs(h_, dir_.FileW("all.xml"), false,
                                                         &exported, &skipped),
            eQeOk);
  EXPECT_EQ(exported, 424);
  const uint32_t third = NewDatabase("third.db");
  ASSERT_EQ(Import("all.xml", third, &imported), eQeOk);
  EXPECT_EQ(imported, 424);
  EXPECT_EQ(Count(L"wellplatename WHERE iUserImported=1 AND wszModel='3368'", third), 1);
}

TEST_F(PlateFile, RemovedPlatesAreNotExported) {
  SaveCustom(L"cccc0000cccc0000cccc0000cccc0000", L"kept", SQeShape(3000), 12, 8, 9000);
  SaveCustom(L"dddd0000dddd0000dddd0000dddd0000", L"removed", SQeShape(3000), 12, 8, 9000);
  ASSERT_EQ(QeProjectDb_Wellplatename_RemoveCustom(h_, L"dddd0000dddd0000dddd0000dddd0000"), 0);
  int exported = -1;
  ASSERT_EQ(QeProjectDb_Wellplatedef_ExportUserPlateDefs(h_, dir_.FileW("out.xml"), true, &exported,
                                                         nullptr),
            eQeOk);
  EXPECT_EQ(exported, 1);
  // A plate whose stored geometry is unreadable is left out and counted.
  ASSERT_EQ(Exec(L"UPDATE wellplateconfiguration SET pData=x'00ff00';"), 0);
  int skipped = -1;
  ASSERT_EQ(QeProjectDb_Wellplatedef_ExportUserPlateDefs(h_, dir_.FileW("out.xml"), true, &exported,
                                                         &skipped),
            eQeOk);
  EXPECT_EQ(exported, 0);
  EXPECT_EQ(skipped, 1);
  EXPECT_EQ(QeProjectDb_Wellplatedef_ExportUserPlateDefs(h_, L"", true, nullptr, nullptr),
            eQeNoPathOrTooNew);
  EXPECT_EQ(QeProjectDb_Wellplatedef_ExportUserPlateDefs(h_, dir_.FileW("no such folder/out.xml"),
                                                         true, nullptr, nullptr),
            eQeFailed);
}

TEST_F(PlateFile, PlatesThatDoNotLoadAreSkipped) {
  CQeLiteVariantW writer;
  writer.LevelBegin(L"Wellplates");
  writer.Set(L"a value among the plates");
  const CQeWellplate plate(L"u", L"Maker", L"", L"Good", eQeNamingModeAlongRows, eQeNamingNumbers,
                           eQeNamingNumbers, 3, 2, 39120, 39120, 127760, 85480, 24760, 23180,
                           CQeLayoutElement(SQeShape(17400)));
  for (int i = 0; i < 3; ++i) {
    writer.LevelBegin();
    if (i == 1) {
      writer.Set(L"not a plate", L"wsModelName");
    } else {
      plate.SaveToLiteVariant(writer);
    }
    writer.LevelEnd();
  }
  writer.LevelEnd();
  WriteDocument("mixed.xml", writer);

  int imported = -1, skipped = -1;
  ASSERT_EQ(Import("mixed.xml", h_, &imported, &skipped), eQeOk);
  EXPECT_EQ(imported, 2);
  EXPECT_EQ(skipped, 1);
  EXPECT_EQ(Count(L"wellplatename WHERE wszModel='Good' AND wszCompany='Maker'"), 2);
  EXPECT_EQ(Count(L"wellplateconfiguration"), 2);
}

TEST_F(PlateFile, BadFilesStoreNothing) {
  const struct {
    const char* name;
    const char* text;  // null: no such file
    int status;
  } files[] = {
      {"cut.xml",
       "<?xml version=\"1.0\"?><QeLiteVariant version=\"1\"><Level name=\"Wellplates\">"
       "<Level><Level name=\"CQeWellplate\"><UInt32 name=\"uiXCount\">12",
       eQeUnusableFile},
      {"wrong.xml",
       "<QeLiteVariant version=\"1\"><Level name=\"Wellplates\"><Level><Level "
       "name=\"CQeWellplate\"><UInt32 name=\"uiXCount\">twelve</UInt32></Level></Level>"
       "</Level></QeLiteVariant>",
       eQeUnusableFile},
      {"other.xml", "<QeLiteVariant version=\"1\"><Level name=\"Dishes\"/></QeLiteVariant>",
       eQeUnusableFile},
      {"empty.xml", "", eQeUnusableFile},
      {"not xml.xml", "\x01\x02 plates? \xff", eQeUnusableFile},
      {"missing.xml", nullptr, eQeNotFound}};
  for (const auto& file : files) {
    if (file.text != nullptr) WriteText(file.name, file.text);
    EXPECT_EQ(Import(file.name, h_), file.status) << file.name;
    QeProjectDb_Wellplatedef_InsertOrReplaceUserPlateDefs(h_, dir_.FileW(file.name));
  }
  EXPECT_EQ(QeProjectDb_Wellplatedef_ImportUserPlateDefs(h_, L"", nullptr, nullptr),
            eQeNoPathOrTooNew);
  EXPECT_EQ(Count(L"wellplateconfiguration") + Count(L"wellplatename"), 0);

  // An empty plate list is a good file with nothing in it.
  WriteText("none.xml",
            "<QeLiteVariant version=\"1\"><Level name=\"Wellplates\"/></QeLiteVariant>");
  int imported = -1;
  EXPECT_EQ(Import("none.xml", h_, &imported), eQeOk);
  EXPECT_EQ(imported, 0);
}

TEST_F(PlateFile, AFailingInsertStoresNoneOfTheFile) {
  SaveCustom(L"eeee0000eeee0000eeee0000eeee0000", L"one", SQeShape(3000), 12, 8, 9000);
  SaveCustom(L"ffff0000ffff0000ffff0000ffff0000", L"two", SQeShape(3000), 12, 8, 9000);
  ASSERT_EQ(QeProjectDb_Wellplatedef_ExportUserPlateDefs(h_, dir_.FileW("two.xml"), true, nullptr,
                                                         nullptr),
            eQeOk);
  const uint32_t other = NewDatabase("other.db");
  ASSERT_EQ(Exec(L"CREATE TRIGGER refuse BEFORE INSERT ON wellplatename WHEN NEW.wszModel='two' "
                 L"BEGIN SELECT RAISE(ABORT,'refused'); END;",
                 other),
            0);
  int imported = -1;
  EXPECT_NE(Import("two.xml", other, &imported), eQeOk);
  EXPECT_EQ(imported, 0);
  EXPECT_EQ(Count(L"wellplateconfiguration", other), 0);
  EXPECT_EQ(Count(L"wellplatename", other), 0);
  // The connection is usable afterwards, also inside a caller's transaction.
  ASSERT_EQ(Exec(L"DROP TRIGGER refuse;", other), 0);
  ASSERT_EQ(QeProjectDb_Db_TransactionBegin(other), eQeOk);
  EXPECT_EQ(Import("two.xml", other, &imported), eQeOk);
  EXPECT_EQ(imported, 2);
  ASSERT_EQ(QeProjectDb_Db_TransactionCommit(other), eQeOk);
  EXPECT_EQ(Count(L"wellplatename", other), 2);
}

}  // namespace
}  // namespace qe::test
