// The blob data file: creation at start, appended extents, reads of extents,
// the exclusive open and its failures, and the two writers that point the
// current record at what they stored. Run on the memory fake and on the disk.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <limits>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "fakes/FakeClipboard.h"
#include "fakes/MemoryFileSystem.h"
#include "platform/FileSystem.h"
#include "store/BlobFile.h"
#include "store/ClipboardSnapshot.h"
#include "store/Tables.h"

namespace tembric::store {
namespace {

using fakes::MemoryFileSystem;
using ::testing::ElementsAre;
using ::testing::StartsWith;

Bytes B(std::string_view text) { return Bytes(text.begin(), text.end()); }

// The message a failed operation raised, or "" when none was raised.
template <typename F>
std::string MessageOf(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

enum class Disk { Memory, Real };
void PrintTo(Disk disk, std::ostream* os) { *os << (disk == Disk::Memory ? "memory" : "real disk"); }

class BlobFileTest : public ::testing::TestWithParam<Disk> {
 protected:
  void SetUp() override {
    if (GetParam() == Disk::Memory) {
      fs_ = &memory_;
      folder_ = "/app";
    } else {
      fs_ = &platform::RealFileSystem();
      folder_ =
          (std::filesystem::temp_directory_path() / ("tembric-blob-" + std::to_string(::getpid()) + "-" +
                                                     ::testing::UnitTest::GetInstance()->current_test_info()->name()))
              .string();
      for (char& c : folder_)
        if (c == '\\') c = '_';
      std::filesystem::remove_all(folder_);
      std::filesystem::create_directories(folder_);
    }
    blob_ = std::make_unique<BlobFile>(BlobFile::InFolder(*fs_, folder_));
  }
  void TearDown() override {
    if (GetParam() == Disk::Real) std::filesystem::remove_all(folder_);
  }

  Bytes Contents() { return fs_->ReadAll(blob_->Path()); }
  // True when nothing holds the file open any more.
  bool Closed() {
    try {
      fs_->OpenExclusive(blob_->Path());
      return true;
    } catch (const platform::FileError&) {
      return false;
    }
  }
  std::string OpenErrorPrefix() const { return "Cannot open file \"" + blob_->Path() + "\". "; }

  MemoryFileSystem memory_;
  platform::FileSystem* fs_ = nullptr;
  std::string folder_;
  std::unique_ptr<BlobFile> blob_;
};

INSTANTIATE_TEST_SUITE_P(OnBothDisks, BlobFileTest, ::testing::Values(Disk::Memory, Disk::Real),
                         [](const auto& info) { return info.param == Disk::Memory ? "Memory" : "Real"; });

TEST_P(BlobFileTest, IsCreatedEmptyWhenMissingAndLeftAloneWhenPresent) {
  EXPECT_EQ(blob_->Path(), platform::JoinPath(folder_, "data.tmd"));
  EXPECT_TRUE(CreateBlobFileIfMissing(*blob_));
  EXPECT_TRUE(Contents().empty());

  AppendToBlobFile(*blob_, B("kept"));
  EXPECT_FALSE(CreateBlobFileIfMissing(*blob_));
  EXPECT_EQ(Contents(), B("kept"));
}

// A system that cannot tell whether the file exists (no rights on the folder,
// a network drive waking up) must not get an empty file made over a full one.
TEST(BlobFileCreation, NeverEmptiesAFileWhoseExistenceTheSystemCouldNotTell) {
  class CannotTell final : public MemoryFileSystem {
   public:
    bool Exists(const std::string&) override { return false; }
  } fs;
  const BlobFile blob(fs, "data.tmd");
  fs.Put("data.tmd", B("pictures"));
  EXPECT_FALSE(CreateBlobFileIfMissing(blob));
  EXPECT_EQ(fs.Get("data.tmd"), B("pictures"));
}

TEST_P(BlobFileTest, AppendsAdjacentExtentsThatReadBackAndNeverMoveEachOther) {
  CreateBlobFileIfMissing(*blob_);
  const BlobExtent first = AppendToBlobFile(*blob_, B("image one"));
  const BlobExtent second = AppendToBlobFile(*blob_, B("clip"));
  const BlobExtent empty = AppendToBlobFile(*blob_, {});
  const BlobExtent third = AppendToBlobFile(*blob_, B("image three"));

  EXPECT_EQ(first, (BlobExtent{0, 9}));
  EXPECT_EQ(second.filePosition, first.filePosition + first.size);
  EXPECT_EQ(second.size, 4);
  EXPECT_EQ(empty, (BlobExtent{13, 0}));  // at the end, nothing written
  EXPECT_EQ(third, (BlobExtent{13, 11}));
  EXPECT_EQ(Contents(), B("image oneclipimage three"));

  EXPECT_EQ(ReadBlobExtent(*blob_, first), B("image one"));
  EXPECT_EQ(ReadBlobExtent(*blob_, second), B("clip"));
  EXPECT_TRUE(ReadBlobExtent(*blob_, empty).empty());
  EXPECT_EQ(ReadBlobExtent(*blob_, third), B("image three"));
  EXPECT_TRUE(Closed());
}

TEST_P(BlobFileTest, ThreeCapturesOfOneRecordLeaveThreeExtentsAndTheRowPointsAtTheLast) {
  CreateBlobFileIfMissing(*blob_);
  DataTable records{RecordsSchema()};
  records.CreateEmpty();
  records.Append();
  std::vector<BlobExtent> seen;
  for (const char* picture : {"BMv1", "BMversion2", "BM3"}) {
    SaveImageToFile(
        *blob_, [&] { return B(picture); }, records);
    seen.push_back(CurrentExtent(records));
  }
  records.Post();
  EXPECT_THAT(seen, ElementsAre(BlobExtent{0, 4}, BlobExtent{4, 10}, BlobExtent{14, 3}));
  EXPECT_EQ(records.AsInteger("Type"), static_cast<int>(RecordType::Image));
  EXPECT_EQ(ReadBlobExtent(*blob_, CurrentExtent(records)), B("BM3"));
  EXPECT_EQ(Contents().size(), 17u);
}

TEST_P(BlobFileTest, ADeletedFileMakesTheNextAppendAndReadFailWithTheOpenMessage) {
  CreateBlobFileIfMissing(*blob_);
  const BlobExtent stored = AppendToBlobFile(*blob_, B("abc"));
  fs_->Remove(blob_->Path());

  EXPECT_THAT(MessageOf([&] { AppendToBlobFile(*blob_, B("more")); }), StartsWith(OpenErrorPrefix()));
  EXPECT_THAT(MessageOf([&] { ReadBlobExtent(*blob_, stored); }), StartsWith(OpenErrorPrefix()));
  EXPECT_GT(MessageOf([&] { ReadBlobExtent(*blob_, stored); }).size(), OpenErrorPrefix().size());  // has a reason
  EXPECT_FALSE(fs_->Exists(blob_->Path()));  // an append never creates the file
}

TEST_P(BlobFileTest, ExtentsOutsideTheFileAreStreamReadErrors) {
  CreateBlobFileIfMissing(*blob_);
  AppendToBlobFile(*blob_, B("0123456789"));

  EXPECT_EQ(ReadBlobExtent(*blob_, {6, 4}), B("6789"));  // exactly to the end
  EXPECT_EQ(MessageOf([&] { ReadBlobExtent(*blob_, {6, 5}); }), "Stream read error");
  EXPECT_EQ(MessageOf([&] { ReadBlobExtent(*blob_, {11, 0}); }), "Stream read error");
  EXPECT_EQ(MessageOf([&] { ReadBlobExtent(*blob_, {0, 1'000'000'000'000}); }), "Stream read error");
  EXPECT_EQ(MessageOf([&] { ReadBlobExtent(*blob_, {-1, 1}); }), "Stream read error");
  EXPECT_EQ(MessageOf([&] { ReadBlobExtent(*blob_, {2, -1}); }), "Stream read error");
  // The start is read as the 32-bit value it was written as.
  EXPECT_EQ(ReadBlobExtent(*blob_, {(std::int64_t{1} << 32) + 2, 3}), B("234"));
  EXPECT_TRUE(Closed());
}

TEST_P(BlobFileTest, AHeldOpenMakesEveryOperationFailUntilItIsClosed) {
  CreateBlobFileIfMissing(*blob_);
  AppendToBlobFile(*blob_, B("abc"));
  DataTable records{RecordsSchema()};
  records.CreateEmpty();
  {
    const auto held = fs_->OpenExclusive(blob_->Path());
    EXPECT_THAT(MessageOf([&] { AppendToBlobFile(*blob_, B("x")); }), StartsWith(OpenErrorPrefix()));
    EXPECT_THAT(MessageOf([&] { ReadBlobExtent(*blob_, {0, 3}); }), StartsWith(OpenErrorPrefix()));
    EXPECT_THAT(MessageOf([&] {
                  SaveImageToFile(
                      *blob_, [] { return B("BM"); }, records);
                }),
                StartsWith(OpenErrorPrefix()));
  }
  EXPECT_EQ(AppendToBlobFile(*blob_, B("x")), (BlobExtent{3, 1}));
  EXPECT_EQ(Contents(), B("abcx"));
}

// ---- SaveToFile ----------------------------------------------------------------------------

// A clipboard whose snapshot is a list of chunks; it can fail after some of them.
class ScriptedCapture final : public ClipboardCapture {
 public:
  explicit ScriptedCapture(std::vector<std::string>& log) : log_(log) {}
  std::vector<Bytes> chunks;
  int failAfter = -1;                   // chunks written before WriteSnapshot throws; -1 never
  std::vector<std::int64_t> positions;  // the writer's position before each chunk

  void OpenClipboard() override { log_.push_back("open clipboard"); }
  void WriteSnapshot(BlobWriter& out) override {
    log_.push_back("write");
    for (std::size_t i = 0; i < chunks.size(); ++i) {
      if (static_cast<int>(i) == failAfter) throw std::runtime_error("format could not be read");
      positions.push_back(out.Position());
      out.Write(chunks[i]);
    }
  }
  void CloseClipboard() noexcept override { log_.push_back("close clipboard"); }

 private:
  std::vector<std::string>& log_;
};

class SaveToFileTest : public ::testing::Test {
 protected:
  SaveToFileTest() : blob_(BlobFile::InFolder(fs_, "C:\\Tembric")) {
    records_.CreateEmpty();
    records_.Append();
    records_.Set("Subject", "r");
    records_.Set("Category", "");
    records_.Set("FullName", "\\r");
    records_.Set("Type", 0);
    records_.Post();
  }
  MemoryFileSystem fs_;
  BlobFile blob_;
  DataTable records_{RecordsSchema()};
  std::vector<std::string> log_;
  ScriptedCapture clipboard_{log_};
};

TEST_F(SaveToFileTest, WritesTheSnapshotAtTheEndAndPointsTheRowAtItWithType20) {
  CreateBlobFileIfMissing(blob_);
  AppendToBlobFile(blob_, B("older"));
  clipboard_.chunks = {B("head"), B("format-1"), B("format-2")};

  SaveToFile(blob_, clipboard_, records_);

  EXPECT_THAT(log_, ElementsAre("open clipboard", "write", "close clipboard"));
  EXPECT_THAT(clipboard_.positions, ElementsAre(5, 9, 17));  // absolute offsets in the file
  EXPECT_EQ(records_.State(), TableState::Edit);             // the caller posts
  EXPECT_EQ(CurrentExtent(records_), (BlobExtent{5, 20}));
  EXPECT_EQ(records_.AsInteger("Type"), 20);
  EXPECT_EQ(ReadBlobExtent(blob_, CurrentExtent(records_)), B("headformat-1format-2"));
  EXPECT_EQ(fs_.OpenCount(), 0u);
}

TEST_F(SaveToFileTest, AnEmptyClipboardGivesASizeZeroExtentAtTheEnd) {
  CreateBlobFileIfMissing(blob_);
  AppendToBlobFile(blob_, B("abc"));
  records_.Edit();  // already editing: stays so
  SaveToFile(blob_, clipboard_, records_);
  EXPECT_EQ(records_.State(), TableState::Edit);
  EXPECT_EQ(CurrentExtent(records_), (BlobExtent{3, 0}));
  EXPECT_TRUE(ReadBlobExtent(blob_, CurrentExtent(records_)).empty());
}

TEST_F(SaveToFileTest, AFailedWritePointsTheRowAtTheBytesSoFarThenRethrows) {
  CreateBlobFileIfMissing(blob_);
  clipboard_.chunks = {B("head"), B("first"), B("second")};
  clipboard_.failAfter = 2;

  EXPECT_EQ(MessageOf([&] { SaveToFile(blob_, clipboard_, records_); }), "format could not be read");
  EXPECT_THAT(log_, ElementsAre("open clipboard", "write", "close clipboard"));
  EXPECT_EQ(CurrentExtent(records_), (BlobExtent{0, 9}));
  EXPECT_EQ(records_.AsInteger("Type"), 20);
  EXPECT_EQ(fs_.OpenCount(), 0u);
}

TEST_F(SaveToFileTest, AFileThatCannotBeOpenedClosesTheClipboardAndLeavesTheRowAlone) {
  // No data.tmd at all.
  EXPECT_EQ(MessageOf([&] { SaveToFile(blob_, clipboard_, records_); }),
            "Cannot open file \"C:\\Tembric\\data.tmd\". no such file");
  EXPECT_THAT(log_, ElementsAre("open clipboard", "close clipboard"));
  EXPECT_EQ(records_.State(), TableState::Browse);
  EXPECT_EQ(records_.AsInteger("Type"), 0);
  EXPECT_TRUE(records_.IsNull("FilePosition"));
}

TEST_F(SaveToFileTest, SaveImageToFileDoesNotSaveThePictureWhenTheFileCannotBeOpened) {
  bool saved = false;
  EXPECT_THAT(MessageOf([&] {
                SaveImageToFile(
                    blob_,
                    [&] {
                      saved = true;
                      return B("BM");
                    },
                    records_);
              }),
              StartsWith("Cannot open file "));
  EXPECT_FALSE(saved);
  EXPECT_EQ(records_.State(), TableState::Browse);
}

// ---- Capturing the system's clipboard ------------------------------------------------------

TEST_F(SaveToFileTest, TheSystemClipboardIsCapturedIntoTheFileAndComesBackInAnotherSession) {
  CreateBlobFileIfMissing(blob_);
  AppendToBlobFile(blob_, B("older"));
  fakes::FakeClipboard system;
  const platform::ClipFormat html = system.RegisterFormat("HTML Format");
  system.Put(platform::clip::kText, B(std::string("plain\0", 6)));
  system.Put(html, B("<b>rich</b>"));
  SystemClipboardCapture capture(system, 7);

  SaveToFile(blob_, capture, records_);
  EXPECT_FALSE(system.IsOpen());
  const BlobExtent first = CurrentExtent(records_);
  EXPECT_EQ(first.filePosition, 5);
  // Each header's Position is where it starts in the file.
  const Bytes saved = ReadBlobExtent(blob_, first);
  ASSERT_GE(saved.size(), 4u);
  EXPECT_EQ(saved[0] | saved[1] << 8, 5);

  // Captured twice more: three adjacent extents, the row at the last.
  SaveToFile(blob_, capture, records_);
  SaveToFile(blob_, capture, records_);
  EXPECT_EQ(CurrentExtent(records_), (BlobExtent{first.filePosition + 2 * first.size, first.size}));

  fakes::FakeClipboard later(0xC123);  // another session numbers the name differently
  RestoreClipboard(later, ReadBlobExtent(blob_, CurrentExtent(records_)));
  later.Open(1);
  EXPECT_EQ(later.GetData(later.RegisterFormat("HTML Format")).bytes, B("<b>rich</b>"));
  later.Close();
}

TEST_F(SaveToFileTest, ABusyClipboardIsReportedAndNothingIsWritten) {
  CreateBlobFileIfMissing(blob_);
  fakes::FakeClipboard system;
  system.Put(platform::clip::kText, B("x"));
  system.HoldBusy(1);
  SystemClipboardCapture capture(system, 7);
  EXPECT_EQ(MessageOf([&] { SaveToFile(blob_, capture, records_); }), "Cannot open clipboard");
  EXPECT_EQ(records_.AsInteger("Type"), 0);
  EXPECT_TRUE(fs_.ReadAll(blob_.Path()).empty());

  // The blob file deleted: the clipboard is closed again and the open message shown.
  fs_.Remove(blob_.Path());
  EXPECT_THAT(MessageOf([&] { SaveToFile(blob_, capture, records_); }), StartsWith("Cannot open file "));
  EXPECT_FALSE(system.IsOpen());
}

// ---- The 2 GB limit ---------------------------------------------------------------------

// A file that claims to be `size` bytes long and takes appends without storing them.
class HugeFileSystem final : public MemoryFileSystem {
 public:
  std::uint64_t size = 0;
  std::unique_ptr<platform::ExclusiveFile> OpenExclusive(const std::string&) override {
    return std::make_unique<File>(size);
  }

 private:
  class File final : public platform::ExclusiveFile {
   public:
    explicit File(std::uint64_t& size) : size_(size) {}
    std::uint64_t Size() override { return size_; }
    void Append(std::span<const std::uint8_t> bytes) override { size_ += bytes.size(); }
    std::size_t ReadAt(std::uint64_t, std::span<std::uint8_t>) override { return 0; }

   private:
    std::uint64_t& size_;
  };
};

TEST(BlobFileLimit, AnAppendMayFillTheFileTo2GBMinusOneAndNoFurther) {
  HugeFileSystem fs;
  const BlobFile blob(fs, "data.tmd");
  fs.size = std::numeric_limits<std::int32_t>::max() - 3;
  EXPECT_EQ(MessageOf([&] { AppendToBlobFile(blob, B("four")); }), kBlobFileFull);
  EXPECT_EQ(fs.size, std::uint64_t{std::numeric_limits<std::int32_t>::max()} - 3);  // nothing written
  EXPECT_EQ(AppendToBlobFile(blob, B("abc")), (BlobExtent{std::numeric_limits<std::int32_t>::max() - 3, 3}));
  EXPECT_EQ(MessageOf([&] { AppendToBlobFile(blob, {}); }), "");  // an empty extent still fits at the end
}

TEST(BlobFileLimit, AFileGrownPast4GBByAnotherProgramRefusesAppendsInsteadOfWrappingTheOffset) {
  HugeFileSystem fs;
  const BlobFile blob(fs, "data.tmd");
  for (const std::uint64_t size : {std::uint64_t{1} << 32, (std::uint64_t{1} << 32) + 10}) {
    fs.size = size;
    EXPECT_EQ(MessageOf([&] { AppendToBlobFile(blob, B("abc")); }), kBlobFileFull) << size;
    EXPECT_EQ(fs.size, size);
  }
}

}  // namespace
}  // namespace tembric::store
