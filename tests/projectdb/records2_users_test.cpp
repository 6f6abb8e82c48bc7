// Users and upload requests.
#include "projectdb/records_support.h"
#include "qe/core/diag.h"

namespace qe::test {
namespace {

class RecordsUserTest : public RecordApiTest {
 protected:
  void SetUp() override {
    RecordApiTest::SetUp();
    ASSERT_EQ(QeProjectDb_Jobuser_Insert(h_, L"uuid-1", kQuoteName, kOtherName), 0);
    ASSERT_EQ(QeProjectDb_Jobuser_GetOne(h_, kQuoteName, kOtherName, user_), 0);
  }
  SQeProjectDbRow_jobuser user_;
};

TEST_F(RecordsUserTest, LookupNeedsTheExactNameAndPasswordAndNeverTracesIt) {
  EXPECT_EQ(user_.wszUuid + user_.wszUsername + user_.wszPassword,
            L"uuid-1" + kQuoteName + kOtherName);
  std::vector<CQeStringW> lines;
  const CQeDiagSinkScope sink([&lines](const CQeStringW& line) { lines.push_back(line); });
  SQeProjectDbRow_jobuser row(7, L"u", L"n", L"p");
  EXPECT_EQ(QeProjectDb_Jobuser_GetOne(h_, kQuoteName, L"' OR '1'='1", row), eQeNotFound);
  EXPECT_EQ(QeProjectDb_Jobuser_GetOne(h_, L"nobody", kOtherName, row), eQeNotFound);
  EXPECT_EQ(std::make_tuple(row.iKey, row.wszPassword), std::make_tuple(7, CQeStringW(L"p")));
  // A clashing insert leaves the stored user as it is.
  EXPECT_EQ(QeProjectDb_Jobuser_Insert(h_, L"uuid-2", kQuoteName, L"secret-x"), 19);
  EXPECT_EQ(QeProjectDb_Jobuser_GetOne(h_, kQuoteName, kOtherName, row), 0);
  EXPECT_EQ(row.iKey, user_.iKey);
  for (const CQeStringW& line : lines) {
    EXPECT_EQ(line.Find(L"secret-x"), -1) << line.ToUtf8();
    EXPECT_EQ(line.Find(L"' OR '1'='1"), -1) << line.ToUtf8();
  }
}

TEST_F(RecordsUserTest, UploadRequestsAreUniquePerRowAndUser) {
  ASSERT_EQ(QeProjectDb_toupload_SaveRequest(h_, L"jobrun", L"row-uuid", kOtherName, user_), 0);
  EXPECT_EQ(Text("SELECT iWszUuid || '|' || wszTablename || '|' || wszCloudUrl || '|' || "
                 "iUploadState || '|' || iUserKeyRef FROM toupload"),
            L"row-uuid|jobrun|" + kOtherName + L"|0|" + CQeStringW(std::to_wstring(user_.iKey)));
  EXPECT_EQ(QeProjectDb_toupload_SaveRequest(h_, L"frame", L"row-uuid", L"url", user_), 19);
  SQeProjectDbRow_jobuser ghost(4242, L"", L"", L"");
  EXPECT_EQ(QeProjectDb_toupload_SaveRequest(h_, L"jobrun", L"other-row", L"url", ghost), 19);
  EXPECT_EQ(Count("toupload"), 1);
}

}  // namespace
}  // namespace qe::test
