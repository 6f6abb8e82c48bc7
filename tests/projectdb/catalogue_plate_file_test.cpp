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
                          uint32_t cols = 12, uint32_t rows = 8, double pitch = 9000) {
    CQeWellplate plate(uuid, kQeCustomWellplatesCompany, L"Glass \"bottom\" 100%", model,
                       eQeNamingModeRowColumn, eQeNamingLetters, eQeNamingNumbers, cols, rows,
                       pitch, pitch, 127760, 85480, 14380, 11240, CQeLayoutElement(well));
    EXPECT_EQ(QeProjectDb_Wellplate_SaveAsCustomToDb(h_, plate), eQeOk);
    return plate;
  }
  void WriteText(const std::string& name, const std::string& text) {
    std::ofstream(dir_.File(name), std::ios::binary) << text;
  }
  // "status exported skipped" of an export from h_, and the same of an import.
  std::string Export(const std::string& name, bool userOnly) {
    int done = -1, skipped = -1;
    const int status = QeProjectDb_Wellplatedef_ExportUserPlateDefs(h_, dir_.FileW(name), userOnly,
                                                                    &done, &skipped);
    return std::to_string(status) + " " + std::to_string(done) + " " + std::to_string(skipped);
  }
  std::string Import(const std::string& name, uint32_t h) {
    int done = -1, skipped = -1;
    const int status =
        QeProjectDb_Wellplatedef_ImportUserPlateDefs(h, dir_.FileW(name), &done, &skipped);
    return std::to_string(status) + " " + std::to_string(done) + " " + std::to_string(skipped);
  }
};

TEST_F(PlateFile, CustomPlatesTravelToAnotherDatabase) {
  ASSERT_EQ(QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs(h_, 6), eQeOk);
  EXPECT_EQ(Export("all.xml", false), "0 422 0");  // without the user filter: the catalogue
  const CQeWellplate round =
      SaveCustom(L"aaaa0000aaaa0000aaaa0000aaaa0000", L"O'Brien's 96 \u00e9", SQeShape(3100));
  const CQeWellplate square = SaveCustom(L"bbbb0000bbbb0000bbbb0000bbbb0000", L"384 % square",
                                         SQeShape(3000, 3000), 24, 16, 4500);
  EXPECT_EQ(Export("custom.xml", true), "0 2 0");
  const uint32_t other = NewDatabase("other.db");
  EXPECT_EQ(Import("custom.xml", other), "0 2 0");

  std::list<SQeProjectDbRow_wellplatedef> rows;
  ASSERT_EQ(QeProjectDb_Wellplatedef_GetAll(other, rows), eQeOk);
  ASSERT_EQ(rows.size(), 2u);
  for (const auto& row : rows) {
    const CQeWellplate& original = row.wszModel == round.GetModelName() ? round : square;
    SCOPED_TRACE(original.GetModelName().ToUtf8());
    EXPECT_EQ(std::vector<int>({row.iUserImported, row.iRemoved, row.iRowCount * row.iColCount,
                                row.iRowNaming, row.iColNaming, row.wszUuid.GetLength()}),
              std::vector<int>({1, 0, static_cast<int>(original.GetElementCount()),
                                eQeNamingLetters, eQeNamingNumbers, 32}));
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
    if (i == 1) writer.Set(L"not a plate", L"wsModelName");
    if (i != 1) plate.SaveToLiteVariant(writer);
    writer.LevelEnd();
  }
  writer.LevelEnd();
  CQeLiteVariantR document;
  ASSERT_EQ(writer.Finalize(document), eQeOk);
  pugi::xml_document xml;
  ASSERT_EQ(qe::LiteVariantToXml(document, xml.append_child("QeLiteVariant")), eQeOk);
  ASSERT_TRUE(xml.save_file(dir_.File("mixed.xml").c_str()));

  EXPECT_EQ(Import("mixed.xml", h_), "0 2 1");
  EXPECT_EQ(Count(L"wellplatename WHERE wszModel='Good' AND wszCompany='Maker'"), 2);
  EXPECT_EQ(Count(L"wellplateconfiguration"), 2);
}

TEST_F(PlateFile, BadFilesStoreNothing) {
  WriteText("cut.xml",
            "<?xml version=\"1.0\"?><QeLiteVariant version=\"1\"><Level name=\"Wellplates\">"
            "<Level><Level name=\"CQeWellplate\"><UInt32 name=\"uiXCount\">12");
  WriteText("other.xml", "<QeLiteVariant version=\"1\"><Level name=\"Dishes\"/></QeLiteVariant>");
  WriteText("not xml.xml", "\x01\x02 plates? \xff");
  for (const char* name : {"cut.xml", "other.xml", "not xml.xml"}) {
    EXPECT_EQ(Import(name, h_), "-10 0 0") << name;
  }
  EXPECT_EQ(Import("missing.xml", h_), "-13 0 0");
  EXPECT_EQ(State(), "0 0 0 0 0: 0 0 0");
}

TEST_F(PlateFile, AFailingInsertStoresNoneOfTheFile) {
  SaveCustom(L"eeee0000eeee0000eeee0000eeee0000", L"one", SQeShape(3000));
  SaveCustom(L"ffff0000ffff0000ffff0000ffff0000", L"two", SQeShape(3000));
  EXPECT_EQ(Export("two.xml", true), "0 2 0");
  const uint32_t other = NewDatabase("other.db");
  ASSERT_EQ(Exec(L"CREATE TRIGGER refuse BEFORE INSERT ON wellplatename WHEN NEW.wszModel='two' "
                 L"BEGIN SELECT RAISE(ABORT,'refused'); END;",
                 other),
            0);
  EXPECT_EQ(Import("two.xml", other), "19 0 0");
  EXPECT_EQ(State(other), "0 0 0 0 0: 0 0 0");
}

}  // namespace
}  // namespace qe::test
