// Contexts of records in the windows and relations tables: sharing windows
// rows, matching the cut texts, ID draws, loading, deleting and saving.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "context/ContextStore.h"
#include "fakes/FaultInjectingFileSystem.h"
#include "fakes/MemoryFileSystem.h"
#include "platform/FileSystem.h"
#include "store/Tables.h"

namespace tembric::context {
namespace {

using fakes::FaultInjectingFileSystem;
using fakes::MemoryFileSystem;
using store::DataTable;
using store::Library;
using ::testing::ElementsAre;

constexpr const char* kFolder = "C:\\Tembric";
const std::string kWinDb = std::string(kFolder) + "\\win.db";
const std::string kRelDb = std::string(kFolder) + "\\rel.db";

TWinDescriptor Window(std::string title, std::string fileName, std::uint8_t type = 0) {
  TWinDescriptor d;
  d.WinTitle = std::move(title);
  d.FileName = std::move(fileName);
  d.VersionName = d.FileName;
  d.FilePath = "app";
  d.WinType = type;
  return d;
}

// "<ID>:<WinTitle>:<FileName>:<WinType>" per windows row, or "<ID>-><WinID>"
// per relation, in the order of addition.
std::vector<std::string> Rows(DataTable& table) {
  table.SetIndexFieldNames("");
  std::vector<std::string> out;
  for (table.First(); !table.Eof(); table.Next()) {
    if (table.FieldIndex("WinTitle") >= 0) {
      out.push_back(table.AsString("ID") + ":" + table.AsString("WinTitle") + ":" + table.AsString("FileName") + ":" +
                    table.AsString("WinType"));
    } else {
      out.push_back(table.AsString("ID") + "->" + table.AsString("WinID"));
    }
  }
  return out;
}

class ContextStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { store::OpenLibrary(library_, fs_, kFolder, "20260101-000000"); }

  // Scripted draws first, then 1, 2, 3, ... so that a taken ID is redrawn.
  store::RandomInt Random() {
    return [this](std::int64_t, std::int64_t) { return script_.empty() ? ++counter_ : Pop(); };
  }
  std::int64_t Pop() {
    const std::int64_t v = script_.front();
    script_.erase(script_.begin());
    return v;
  }
  void AddRelation(std::int32_t id, std::int32_t winId) {
    library_.relations.Append();
    library_.relations.Set("ID", id);
    library_.relations.Set("WinID", winId);
    library_.relations.Post();
  }
  // The tables as the next start reads them.
  std::unique_ptr<Library> Reopened() {
    auto reopened = std::make_unique<Library>();
    store::OpenLibrary(*reopened, memory_, kFolder, "20260101-000000");
    return reopened;
  }

  MemoryFileSystem memory_;
  FaultInjectingFileSystem fs_{memory_};
  Library library_;
  std::vector<std::int64_t> script_;
  std::int64_t counter_ = 0;
  ContextStore store_{library_, fs_, Random()};
};

TEST(CutToField, KeepsAtMostTheWidthAndTheWidthsComeFromTheSchema) {
  const std::string long150(150, 'x');
  EXPECT_EQ(CutToField(long150, 100), std::string(100, 'x'));
  EXPECT_EQ(CutToField("Notepad", 100), "Notepad");
  EXPECT_EQ(CutToField("", 0), "");
  EXPECT_EQ(WindowsFieldWidth("WinTitle"), 100u);
  EXPECT_EQ(WindowsFieldWidth("FilePath"), 256u);
  EXPECT_THROW(WindowsFieldWidth("ID"), store::TableError);
}

TEST_F(ContextStoreTest, SharesOneWindowsRowPerDistinctContextComparingTheCutTexts) {
  const std::string long150 = std::string(100, 'L') + std::string(50, 'x');
  const std::string cut = std::string(100, 'L');
  TWinDescriptor stored = Window("Stored", "Edit");
  stored.ID = 40;  // stored before: not linked again
  const std::vector<TWinDescriptor> first{Window("Inbox", "Mail"), Window("Inbox", "Mail", 1), stored};
  const std::vector<TWinDescriptor> second{Window("Inbox", "Mail"), Window("inbox", "Mail"), Window(long150, "Edit")};
  const std::vector<TWinDescriptor> third{Window(long150, "Edit"), Window(long150.substr(0, 120), "Edit")};

  EXPECT_THAT(store_.SaveContexts(1, first), ElementsAre(1, 2));
  EXPECT_THAT(store_.SaveContexts(2, second), ElementsAre(1, 3, 4));
  EXPECT_THAT(store_.SaveContexts(2, third), ElementsAre(4, 4));

  const auto saved = Reopened();
  EXPECT_THAT(Rows(saved->windows),
              ElementsAre("1:Inbox:Mail:0", "2:Inbox:Mail:1", "3:inbox:Mail:0", "4:" + cut + ":Edit:0"));
  EXPECT_THAT(Rows(saved->relations), ElementsAre("1->1", "1->2", "2->1", "2->3", "2->4", "2->4", "2->4"));
  EXPECT_EQ(Rows(library_.windows), Rows(saved->windows));
}

TEST_F(ContextStoreTest, TheIdDrawSkipsATakenId) {
  store_.SaveContexts(1, std::vector{Window("A", "Mail")});  // takes ID 1
  script_ = {1, 1, 7};
  EXPECT_THAT(store_.SaveContexts(1, std::vector{Window("B", "Mail")}), ElementsAre(7));
  EXPECT_THAT(Rows(library_.windows), ElementsAre("1:A:Mail:0", "7:B:Mail:0"));
}

TEST_F(ContextStoreTest, LoadFollowsTheLinksInOrderAndPassesOverAMissingWindowsRow) {
  store_.SaveContexts(9, std::vector{Window("A", "Mail"), Window("B", "Edit", 2), Window("C", "Mail")});  // 1, 2, 3
  for (auto [id, winId] : {std::pair{1, 3}, {2, 2}, {1, 99}, {1, 1}, {1, 3}}) AddRelation(id, winId);
  library_.relations.SetIndexFieldNames("WinID");
  library_.relations.Last();

  std::vector<std::string> loaded;
  for (const TWinDescriptor& d : store_.LoadContexts(1))
    loaded.push_back(std::to_string(d.ID) + ":" + d.WinTitle + ":" + d.FileName + ":" + d.VersionName + ":" +
                     d.FilePath + ":" + std::to_string(d.WinType));
  EXPECT_THAT(loaded, ElementsAre("3:C:Mail:Mail:app:0", "1:A:Mail:Mail:app:0", "3:C:Mail:Mail:app:0"));
  EXPECT_EQ(store_.LoadContexts(9).size(), 3u);
  EXPECT_TRUE(store_.LoadContexts(5).empty());
  // The relations table is left as it was found.
  EXPECT_EQ(library_.relations.IndexFieldNames(), "WinID");
  EXPECT_EQ(library_.relations.AsInteger("WinID"), 99);
}

TEST_F(ContextStoreTest, DeleteRemovesOnlyTheFirstMatchingLinkAndSavesTheRelations) {
  for (auto [id, winId] : {std::pair{1, 10}, {2, 10}, {1, 10}, {1, 11}}) AddRelation(id, winId);
  store_.DeleteContexts(1, std::vector<std::int32_t>{10, 11, 77});
  EXPECT_THAT(Rows(Reopened()->relations), ElementsAre("2->10", "1->10"));
  EXPECT_FALSE(memory_.Get(kWinDb).has_value());  // windows rows are never deleted, so not written either
}

TEST_F(ContextStoreTest, SavesBothTablesEvenWithNothingNew) {
  TWinDescriptor stored = Window("A", "Mail");
  stored.ID = 3;
  store_.SaveContexts(1, std::vector{stored});
  EXPECT_TRUE(memory_.Get(kWinDb).has_value());
  EXPECT_TRUE(memory_.Get(kRelDb).has_value());
  EXPECT_TRUE(library_.relations.IsEmpty());
}

TEST_F(ContextStoreTest, AFailedSaveIsReportedAfterTheOtherTableIsSaved) {
  fs_.FailOn(FaultInjectingFileSystem::Op::WriteAndFlush, platform::TemporaryPathFor(kWinDb));
  EXPECT_THROW(store_.SaveContexts(1, std::vector{Window("A", "Mail")}), store::TableError);
  EXPECT_FALSE(memory_.Get(kWinDb).has_value());
  EXPECT_THAT(Rows(Reopened()->relations), ElementsAre("1->1"));

  fs_.FailOn(FaultInjectingFileSystem::Op::WriteAndFlush, platform::TemporaryPathFor(kRelDb));
  EXPECT_THROW(store_.DeleteContexts(1, std::vector<std::int32_t>{1}), store::TableError);
}

}  // namespace
}  // namespace tembric::context
