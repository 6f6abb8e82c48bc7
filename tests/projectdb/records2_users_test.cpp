// Users, upload requests and project groupings.
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
  EXPECT_NE(user_.iKey, 0);
  EXPECT_EQ(user_.wszUuid, L"uuid-1");
  EXPECT_EQ(user_.wszUsername, kQuoteName);
  EXPECT_EQ(user_.wszPassword, kOtherName);

  std::vector<CQeStringW> lines;
  const CQeDiagSinkScope sink([&lines](const CQeStringW& line) { lines.push_back(line); });
  SQeProjectDbRow_jobuser row(7, L"u", L"n", L"p");
  EXPECT_EQ(QeProjectDb_Jobuser_GetOne(h_, kQuoteName, L"it's", row), eQeNotFound);
  EXPECT_EQ(QeProjectDb_Jobuser_GetOne(h_, kQuoteName, L"' OR '1'='1", row), eQeNotFound);
  EXPECT_EQ(QeProjectDb_Jobuser_GetOne(h_, L"nobody", kOtherName, row), eQeNotFound);
  EXPECT_EQ(row.iKey, 7);
  EXPECT_EQ(row.wszPassword, L"p");
  // A clashing insert leaves the stored user as it is.
  EXPECT_EQ(QeProjectDb_Jobuser_Insert(h_, L"uuid-2", kQuoteName, L"secret-x"), 19);
  EXPECT_EQ(Count("jobuser"), 1);
  EXPECT_EQ(QeProjectDb_Jobuser_GetOne(h_, kQuoteName, kOtherName, row), 0);
  EXPECT_EQ(row.iKey, user_.iKey);
  for (const CQeStringW& line : lines) {
    EXPECT_EQ(line.Find(L"secret-x"), -1) << line.ToUtf8();
    EXPECT_EQ(line.Find(L"' OR '1'='1"), -1) << line.ToUtf8();
  }
}

TEST_F(RecordsUserTest, UploadRequestsAreUniquePerRowAndUser) {
  ASSERT_EQ(QeProjectDb_toupload_SaveRequest(h_, L"jobrun", L"row-uuid", kOtherName, user_), 0);
  EXPECT_EQ(Text("SELECT iWszUuid || '|' || wszTablename || '|' || wszCloudUrl FROM toupload"),
            L"row-uuid|jobrun|" + kOtherName);
  EXPECT_EQ(Int("SELECT iUploadState FROM toupload"), 0);
  EXPECT_EQ(Int("SELECT runState IS NULL FROM toupload"), 1);
  EXPECT_EQ(Int("SELECT iUserKeyRef FROM toupload"), user_.iKey);

  EXPECT_EQ(QeProjectDb_toupload_SaveRequest(h_, L"frame", L"row-uuid", L"url", user_), 19);
  SQeProjectDbRow_jobuser ghost(4242, L"", L"", L"");
  EXPECT_EQ(QeProjectDb_toupload_SaveRequest(h_, L"jobrun", L"other-row", L"url", ghost), 19);
  EXPECT_EQ(Count("toupload"), 1);

  const int64_t request = Int("SELECT iKey FROM toupload");
  ASSERT_EQ(QeProjectDb_toupload_ChangeStatus(h_, request, 3), 0);
  EXPECT_EQ(QeProjectDb_toupload_ChangeStatus(h_, request + 100, 9), 0);
  EXPECT_EQ(Int("SELECT runState FROM toupload"), 3);
}

TEST_F(RecordsUserTest, GroupingsAreUniquePerUserNameAndProject) {
  ASSERT_EQ(QeProjectDb_Cloudgroupusers_Insert(h_, kQuoteName, L"proj'uuid", user_.iKey), 0);
  EXPECT_EQ(QeProjectDb_Cloudgroupusers_Insert(h_, kQuoteName, L"proj'uuid", user_.iKey), 19);
  EXPECT_EQ(QeProjectDb_Cloudgroupusers_Insert(h_, kQuoteName, L"p2", 4242), 19);
  EXPECT_EQ(Text("SELECT wszProjectUuid FROM project_user_grouping"), L"proj'uuid");
  EXPECT_EQ(Text("SELECT wszUsername FROM project_user_grouping"), kQuoteName);

  // Requests and groupings go with their user.
  QeProjectDb_toupload_SaveRequest(h_, L"jobrun", L"r", L"url", user_);
  ASSERT_EQ(Exec("DELETE FROM jobuser"), SQLITE_OK);
  EXPECT_EQ(Count("toupload") + Count("project_user_grouping"), 0);
}

}  // namespace
}  // namespace qe::test
