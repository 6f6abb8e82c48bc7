// Users, upload requests and project groupings.
#include "projectdb/records2_support.h"
#include "qe/core/status.h"
#include "qe/projectdb/records/jobuser.h"

namespace qe::test {
namespace {

class UserTest : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    ASSERT_EQ(QeProjectDb_Jobuser_Insert(h_, L"uuid-1", kQuoteName, kOtherName), 0);
    ASSERT_EQ(QeProjectDb_Jobuser_GetOne(h_, kQuoteName, kOtherName, user_), 0);
  }
  SQeProjectDbRow_jobuser user_;
};

TEST_F(UserTest, LookupNeedsTheExactNameAndPassword) {
  EXPECT_NE(user_.iKey, 0);
  EXPECT_EQ(user_.wszUuid, L"uuid-1");
  EXPECT_EQ(user_.wszUsername, kQuoteName);
  EXPECT_EQ(user_.wszPassword, kOtherName);

  SQeProjectDbRow_jobuser row(7, L"u", L"n", L"p");
  EXPECT_EQ(QeProjectDb_Jobuser_GetOne(h_, kQuoteName, L"it's", row), eQeNotFound);
  EXPECT_EQ(QeProjectDb_Jobuser_GetOne(h_, kQuoteName, L"' OR '1'='1", row), eQeNotFound);
  EXPECT_EQ(QeProjectDb_Jobuser_GetOne(h_, L"nobody", kOtherName, row), eQeNotFound);
  EXPECT_EQ(row.iKey, 7);
  EXPECT_EQ(row.wszPassword, L"p");
  // Failed lookups and a clashing insert leave the stored user as it is.
  EXPECT_EQ(QeProjectDb_Jobuser_Insert(h_, L"uuid-2", kQuoteName, L"x"), 19);
  EXPECT_EQ(Count(L"jobuser"), 1);
  EXPECT_EQ(QeProjectDb_Jobuser_GetOne(h_, kQuoteName, kOtherName, row), 0);
  EXPECT_EQ(row.iKey, user_.iKey);
}

TEST_F(UserTest, UploadRequestsAreUniquePerRowAndUser) {
  ASSERT_EQ(QeProjectDb_toupload_SaveRequest(h_, L"jobrun", L"row-uuid", kOtherName, user_), 0);
  EXPECT_EQ(Text(L"SELECT iWszUuid FROM toupload;"), "row-uuid");
  EXPECT_EQ(Text(L"SELECT wszTablename FROM toupload;"), "jobrun");
  EXPECT_EQ(Text(L"SELECT wszCloudUrl FROM toupload;"), kOtherName.ToUtf8());
  EXPECT_EQ(Int(L"SELECT iUploadState FROM toupload;"), 0);
  EXPECT_EQ(Int(L"SELECT runState IS NULL FROM toupload;"), 1);
  EXPECT_EQ(Int(L"SELECT iUserKeyRef FROM toupload;"), user_.iKey);

  EXPECT_EQ(QeProjectDb_toupload_SaveRequest(h_, L"frame", L"row-uuid", L"url", user_), 19);
  SQeProjectDbRow_jobuser ghost(4242, L"", L"", L"");
  EXPECT_EQ(QeProjectDb_toupload_SaveRequest(h_, L"jobrun", L"other-row", L"url", ghost), 19);
  EXPECT_EQ(Count(L"toupload"), 1);

  const int64_t request = Int(L"SELECT iKey FROM toupload;");
  ASSERT_EQ(QeProjectDb_toupload_ChangeStatus(h_, request, 3), 0);
  EXPECT_EQ(Int(L"SELECT runState FROM toupload;"), 3);
  EXPECT_EQ(QeProjectDb_toupload_ChangeStatus(h_, request + 100, 9), 0);
  EXPECT_EQ(Int(L"SELECT runState FROM toupload;"), 3);
}

TEST_F(UserTest, GroupingsAreUniquePerUserNameAndProject) {
  ASSERT_EQ(QeProjectDb_Cloudgroupusers_Insert(h_, kQuoteName, L"proj'uuid", user_.iKey), 0);
  EXPECT_EQ(QeProjectDb_Cloudgroupusers_Insert(h_, kQuoteName, L"proj'uuid", user_.iKey), 19);
  EXPECT_EQ(QeProjectDb_Cloudgroupusers_Insert(h_, kQuoteName, L"p2", 4242), 19);
  EXPECT_EQ(Text(L"SELECT wszProjectUuid FROM project_user_grouping;"), "proj'uuid");
  EXPECT_EQ(Text(L"SELECT wszUsername FROM project_user_grouping;"), kQuoteName.ToUtf8());

  // Requests and groupings go with their user.
  QeProjectDb_toupload_SaveRequest(h_, L"jobrun", L"r", L"url", user_);
  ASSERT_EQ(QeSqlite_Execute(db(), L"DELETE FROM jobuser;", nullptr, false), 0);
  EXPECT_EQ(Count(L"toupload") + Count(L"project_user_grouping"), 0);
}

}  // namespace
}  // namespace qe::test
