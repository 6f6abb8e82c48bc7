// Analysis results: assay runs, layers, binary frames, objects and their
// properties written parent to child, and their cascade.
#include "projectdb/records_support.h"

namespace qe::test {
namespace {

class RecordsAnalysisTest : public RecordRunTest {
 protected:
  void SetUp() override {
    RecordRunTest::SetUp();
    QeProjectDb_Jobtask_Insert(h_, 0, 0, 0, 0, L"Analysis", {}, nullptr, &task_);
    QeProjectDb_Propdef_Insert(h_, L"obj", L"area", L"px", L"", &area_);
    QeProjectDb_Propdef_Insert(h_, L"obj", L"round", L"", L"", &round_);
  }

  // One assay run with two layers, two binary frames per layer, three
  // objects per frame and two properties per object, each level one batch
  // whose keys feed the next. Returns the assay run's key.
  int64_t WriteAnalysis(int64_t run, const CQeStringW& tag) {
    int64_t assay = 0;
    EXPECT_EQ(QeProjectDb_Assayrun_Insert(h_, run, task_, task_, tag + L"-assay", kQuoteName, 2.5,
                                          &assay),
              0);
    std::vector<SQeProjectDbRow_binlayer> layers{
        {0, run, assay, tag + L"-l1", kQuoteName, L"comp", L"ft", 0xff0000, true},
        {0, run, assay, tag + L"-l2", kOtherName, L"comp", L"ft", 0x00ff00}};
    EXPECT_EQ(QeProjectDb_Binlayer_InsertMany(h_, layers), 0);
    std::vector<SQeProjectDbRow_binframe> frames;
    for (const auto& layer : layers) {
      for (int index = 0; index < 2; ++index) frames.emplace_back(0, run, layer.iKey, index, 3);
    }
    EXPECT_EQ(QeProjectDb_Binframe_InsertMany(h_, frames), 0);
    std::vector<SQeProjectDbRow_binobj> objects;
    for (const auto& frame : frames) {
      for (int id = 1; id <= 3; ++id)
        objects.emplace_back(0, frame.iKey, 0, id, 1, 2, 3, 4, 5 * id);
    }
    EXPECT_EQ(QeProjectDb_Binobj_InsertMany(h_, objects), 0);
    std::vector<SQeProjectDbRow_binobjprop> props;
    for (const auto& object : objects) {
      props.emplace_back(0, object.iKey, area_, run, 0, object.iPixelCount * 0.5);
      props.emplace_back(0, object.iKey, round_, run, 0, 1.0);
    }
    EXPECT_EQ(QeProjectDb_Binobjprop_InsertMany(h_, props), 0);
    return assay;
  }

  int64_t task_ = 0, area_ = 0, round_ = 0;
};

TEST_F(RecordsAnalysisTest, FullAnalysisIsWrittenInBatchesAndGoesWithItsRun) {
  const int64_t assay = WriteAnalysis(run_, L"a");
  WriteAnalysis(AddRun(project_, jobdef_), L"b");
  EXPECT_EQ(
      std::make_tuple(Count("binlayer"), Count("binframe"), Count("binobj"), Count("binobjprop")),
      std::make_tuple(4, 8, 24, 48));
  EXPECT_EQ(Count("binobj", "iTraceKeyRef IS NULL"), 24);
  // Each object's area (half its pixel count) reached the object of that run.
  EXPECT_EQ(Int("SELECT sum(p.dValue) FROM binobjprop p JOIN binobj o ON p.iBinobjKeyRef=o.iKey "
                "JOIN binframe f ON o.iBinframeKeyRef=f.iKey WHERE " +
                Eq("p.iPropdefKeyRef", area_) + " AND " + Eq("f.iJobrunKeyRef", run_) +
                " AND p.dValue=o.iPixelCount*0.5"),
            60);

  std::vector<SQeProjectDbRow_binlayer> layers;
  ASSERT_EQ(QeProjectDb_Binlayer_GetMany(h_, run_, layers), 0);
  ASSERT_EQ(layers.size(), 2u);
  EXPECT_EQ(std::make_tuple(layers[0].wszName, layers[0].iAssayrunKeyRef),
            std::make_tuple(kQuoteName, assay));

  ASSERT_EQ(QeProjectDb_Jobrun_Delete(h_, run_), 0);
  EXPECT_EQ(Count("assayrun"), 1);
  EXPECT_EQ(
      std::make_tuple(Count("binlayer"), Count("binframe"), Count("binobj"), Count("binobjprop")),
      std::make_tuple(2, 4, 12, 24));
  // Deleting the remaining assay run takes the rest of the results with it.
  ASSERT_EQ(QeProjectDb_Assayrun_Delete(h_, Int("SELECT iKey FROM assayrun")), 0);
  EXPECT_EQ(Count("binlayer") + Count("binframe") + Count("binobj") + Count("binobjprop"), 0);
}

}  // namespace
}  // namespace qe::test
