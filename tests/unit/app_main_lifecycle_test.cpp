// The main window's creation and destruction steps, and the rule that a
// handler's error is shown and goes no further.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "app/MainLifecycle.h"
#include "app/Notices.h"
#include "fakes/FakeAppFiles.h"
#include "fakes/FakeNotices.h"
#include "fakes/FaultInjectingFileSystem.h"
#include "fakes/MemoryFileSystem.h"

namespace tembric::app {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using Notice = fakes::FakeNotices::Notice;
using Op = fakes::FaultInjectingFileSystem::Op;
using fakes::FileChanges;
using fakes::Text;

constexpr const char* kFolder = "C:\\Tembric";
constexpr const char* kRecordsPath = "C:\\Tembric\\tembric.db";
constexpr const char* kStamp = "20260102-030405";

void AddRecord(store::DataTable& records, const std::string& subject) {
  records.Append();
  records.Set("ID", 7);
  records.Set("Category", "");
  records.Set("Subject", subject);
  records.Set("FullName", store::MakeFullName("", subject));
  records.Set("Type", static_cast<int>(store::RecordType::Text));
  records.Post();
}

TEST(RunHandler, ShowsTheErrorTextAndSkipsTheRestOfTheHandler) {
  fakes::FakeNotices notices;
  std::vector<int> steps;

  EXPECT_FALSE(RunHandler(notices, [&] {
    steps.push_back(1);
    throw std::runtime_error("tembric.db: Access is denied");
    steps.push_back(2);
  }));
  EXPECT_THAT(steps, ElementsAre(1));
  EXPECT_THAT(notices.shown, ElementsAre(Notice{NoticeKind::Plain, "tembric.db: Access is denied"}));

  EXPECT_FALSE(RunHandler(notices, [] { throw 42; }));
  EXPECT_EQ(notices.shown.back(), (Notice{NoticeKind::Plain, "Unknown error"}));

  notices.shown.clear();
  EXPECT_TRUE(RunHandler(notices, [&] { steps.push_back(3); }));
  EXPECT_THAT(steps, ElementsAre(1, 3));
  EXPECT_THAT(notices.shown, IsEmpty());
}

class MainLifecycleTest : public ::testing::Test {
 protected:
  fakes::MemoryFileSystem disk;
  fakes::FaultInjectingFileSystem files{disk};
  fakes::FakeNotices notices;
};

TEST_F(MainLifecycleTest, RecordsSurviveARunFromCreationToDestruction) {
  {
    MainLifecycle main(files, kFolder, notices);
    main.FormCreate(kStamp);
    // Opening a fresh folder writes nothing but the lock it holds.
    EXPECT_THAT(FileChanges(files),
                ElementsAre("CreateNew C:\\Tembric\\tembric.lock", "OpenExclusive C:\\Tembric\\tembric.lock"));
    EXPECT_EQ(store::LockLibrary(disk, kFolder), nullptr);  // held for the run
    AddRecord(main.Library().records, "Greeting");
    main.FormDestroy();
  }
  ASSERT_TRUE(disk.Exists(kRecordsPath));

  MainLifecycle next(files, kFolder, notices);
  next.FormCreate(kStamp);
  auto& records = next.Library().records;
  ASSERT_EQ(records.RecordCount(), 1u);
  records.First();
  EXPECT_EQ(records.AsString("FullName"), "\\Greeting");
  EXPECT_THAT(notices.shown, IsEmpty());
}

TEST_F(MainLifecycleTest, DestructionWithoutOpenedTablesWritesNothing) {
  disk.Put(kRecordsPath, Text("records of the user"));
  MainLifecycle main(files, kFolder, notices);

  main.FormDestroy();

  EXPECT_THAT(files.Calls(), IsEmpty());
  EXPECT_EQ(disk.Get(kRecordsPath), Text("records of the user"));
  EXPECT_THAT(notices.shown, IsEmpty());
}

TEST_F(MainLifecycleTest, UnreadableTableIsAStartNoticeAndTheOthersOpen) {
  disk.Put(kRecordsPath, Text("not a table file"));
  MainLifecycle main(files, kFolder, notices);

  main.FormCreate(kStamp);

  ASSERT_EQ(notices.shown.size(), 1u);
  EXPECT_EQ(notices.shown[0].kind, NoticeKind::Information);
  EXPECT_THAT(notices.shown[0].text, HasSubstr("tembric.db"));
  EXPECT_NE(main.Library().windows.State(), store::TableState::Inactive);
  EXPECT_NE(main.Library().relations.State(), store::TableState::Inactive);
  EXPECT_TRUE(main.Library().records.IsEmpty());
}

TEST_F(MainLifecycleTest, UnreadableFileThatCouldNotBeKeptAsideIsNeverOverwritten) {
  disk.Put(kRecordsPath, Text("not a table file"));
  files.Fail(Op::Rename);  // keeping it aside fails as well
  MainLifecycle main(files, kFolder, notices);
  main.FormCreate(kStamp);
  ASSERT_EQ(notices.shown.size(), 1u);

  main.FormDestroy();  // must not throw

  EXPECT_EQ(disk.Get(kRecordsPath), Text("not a table file"));
  ASSERT_EQ(notices.shown.size(), 2u);
  EXPECT_EQ(notices.shown[1].kind, NoticeKind::Plain);
}

TEST_F(MainLifecycleTest, FailedSaveIsReportedNotThrown) {
  MainLifecycle main(files, kFolder, notices);
  main.FormCreate(kStamp);
  AddRecord(main.Library().records, "Greeting");
  files.Fail(Op::WriteAndFlush, "Access is denied");

  main.FormDestroy();

  ASSERT_EQ(notices.shown.size(), 1u);
  EXPECT_EQ(notices.shown[0].kind, NoticeKind::Plain);
  EXPECT_THAT(notices.shown[0].text, HasSubstr("Access is denied"));
  EXPECT_FALSE(disk.Exists(kRecordsPath));
}

}  // namespace
}  // namespace tembric::app
