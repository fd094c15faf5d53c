// The table file: round trips, the exact layout, and the loader's refusal of
// damaged, foreign and hostile images.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/Crc32.h"
#include "store/DataTable.h"
#include "store/Tables.h"

namespace tembric::store {
namespace {

using ::testing::HasSubstr;

// Builds images byte by byte, little-endian, for the layout tests.
class Image {
 public:
  Image& U8(std::uint8_t v) {
    bytes_.push_back(v);
    return *this;
  }
  Image& U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return *this;
  }
  Image& Raw(std::string_view s) {
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    return *this;
  }
  Image& Magic() { return Raw(std::string_view("\x89TBL\r\n\x1A\n", 8)); }
  Image& Field(FieldType type, std::uint32_t width, std::string_view name) {
    U8(static_cast<std::uint8_t>(type)).U32(width).U8(static_cast<std::uint8_t>(name.size()));
    return Raw(name);
  }
  // The header of a relations table file (ID, WinID), up to the row count.
  Image& RelationsHeader() {
    return Magic().U32(1).U32(2).Field(FieldType::Int32, 0, "ID").Field(FieldType::Int32, 0, "WinID");
  }
  Bytes Sealed() const {
    Bytes out = bytes_;
    const std::uint32_t crc = Crc32(out);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(crc >> (8 * i)));
    return out;
  }

 private:
  Bytes bytes_;
};

void AddRelation(DataTable& t, Value id, Value win) {
  t.Append();
  t.Set("ID", id);
  t.Set("WinID", win);
  t.Post();
}

// Loads `image` into a fresh relations table and returns the reason it was refused.
std::string Refusal(const Bytes& image, const TableSchema& schema = RelationsSchema()) {
  DataTable t(schema);
  try {
    t.Load(image);
  } catch (const TableError& e) {
    EXPECT_TRUE(t.IsEmpty());
    EXPECT_EQ(t.State(), TableState::Browse);
    return e.what();
  }
  return "loaded";
}

TEST(Crc32, MatchesTheStandardCheckValueInOneOrSeveralPieces) {
  const std::string text = "123456789";
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  EXPECT_EQ(Crc32(bytes), 0xCBF43926u);
  EXPECT_EQ(Crc32(bytes.subspan(4), Crc32(bytes.first(4))), 0xCBF43926u);
  const std::string fox = "The quick brown fox jumps over the lazy dog";
  EXPECT_EQ(Crc32(std::span(reinterpret_cast<const std::uint8_t*>(fox.data()), fox.size())), 0x414FA339u);
  EXPECT_EQ(Crc32(Bytes{}), 0u);

  // Eight bytes at a time gives what one byte at a time gives.
  Bytes data(1001);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7 + 3);
  std::uint32_t bytewise = 0;
  for (const std::uint8_t& b : data) bytewise = Crc32(std::span(&b, 1), bytewise);
  EXPECT_EQ(Crc32(data), bytewise);
}

TEST(TableFileLayout, IsExactlyAsDocumented) {
  DataTable t(RelationsSchema());
  t.CreateEmpty();
  AddRelation(t, 1, Value());
  AddRelation(t, -2, 0x01020304);
  const Bytes expected = Image()
                             .RelationsHeader()
                             .U32(2)
                             .U32(5)
                             .U8(0x02)
                             .U32(1)  // row 1: WinID null
                             .U32(9)
                             .U8(0x00)
                             .U32(0xFFFFFFFE)
                             .U32(0x01020304)  // row 2
                             .Sealed();
  EXPECT_EQ(t.Serialize(), expected);
  EXPECT_EQ(Bytes(expected.end() - 4, expected.end()), (Bytes{0x2D, 0x65, 0x22, 0x2F}));  // as in the example
}

TEST(TableFileLayout, TextsMemosBytesAndIntegersOfEveryWidth) {
  const TableSchema schema{"All",
                           {{"T", FieldType::Text, 3},
                            {"M", FieldType::Memo, 0},
                            {"S", FieldType::Int16, 0},
                            {"L", FieldType::Int64, 0},
                            {"B", FieldType::Boolean, 0},
                            {"X", FieldType::Bytes, 0}},
                           {},
                           ""};
  DataTable t(schema);
  t.CreateEmpty();
  t.Append();
  t.Set("T", "ab");
  t.Set("M", "");
  t.Set("S", -1);
  t.Set("L", std::int64_t{0x0102030405060708});
  t.Set("B", Value::Boolean(true));
  t.Set("X", Value::Blob({9}));
  t.Post();
  const Bytes expected = Image()
                             .Magic()
                             .U32(1)
                             .U32(6)
                             .Field(FieldType::Text, 3, "T")
                             .Field(FieldType::Memo, 0, "M")
                             .Field(FieldType::Int16, 0, "S")
                             .Field(FieldType::Int64, 0, "L")
                             .Field(FieldType::Boolean, 0, "B")
                             .Field(FieldType::Bytes, 0, "X")
                             .U32(1)
                             .U32(1 + 6 + 4 + 2 + 8 + 1 + 5)
                             .U8(0)
                             .U32(2)
                             .Raw("ab")
                             .U32(0)
                             .U8(0xFF)
                             .U8(0xFF)
                             .U32(0x05060708)
                             .U32(0x01020304)
                             .U8(1)
                             .U32(1)
                             .U8(9)
                             .Sealed();
  EXPECT_EQ(t.Serialize(), expected);
}

TEST(TableFileRoundTrip, KeepsValuesNullsAndTheOrderOfAddition) {
  DataTable t(RecordsSchema());
  t.CreateEmpty();
  const std::vector<std::string> names{"\\b", "\\a", "\\c\\x", "\\c"};
  for (std::size_t i = 0; i < names.size(); ++i) {
    t.Append();
    t.Set("Subject", "s" + std::to_string(i));
    t.Set("Category", i % 2 == 0 ? Value("") : Value());
    t.Set("FullName", names[i]);
    t.Set("Memo", std::string(i * 1000, static_cast<char>('a' + i)));
    t.Set("Type", static_cast<int>(i) - 1);
    t.Set("Blob", Value::Blob(Bytes{0, 1, 2, 255}));
    t.Set("FilePosition", std::int64_t{-9'000'000'000'000'000'000});
    t.Set("Size", std::int64_t{9'000'000'000'000'000'000});
    t.Set("KeyString", "");
    t.Set("ID", -2147483647 - 1);
    t.Set("ContextEnabled", Value::Boolean(i == 2));
    t.Post();
  }
  const Bytes image = t.Serialize();

  DataTable u(RecordsSchema());
  u.Load(image);
  EXPECT_EQ(u.State(), TableState::Browse);
  EXPECT_EQ(u.AsString("FullName"), "\\a");  // the first row of the table's ordering
  u.SetIndexFieldNames("");
  std::size_t i = 0;
  for (u.First(); !u.Eof(); u.Next(), ++i) {
    ASSERT_LT(i, names.size());
    EXPECT_EQ(u.AsString("FullName"), names[i]);
    EXPECT_EQ(u.IsNull("Category"), i % 2 == 1);
    EXPECT_EQ(u.Get("Memo"), Value(std::string(i * 1000, static_cast<char>('a' + i))));
    EXPECT_EQ(u.AsInteger("Type"), static_cast<int>(i) - 1);
    EXPECT_EQ(u.AsBytes("Blob"), (Bytes{0, 1, 2, 255}));
    EXPECT_EQ(u.AsInteger("FilePosition"), std::int64_t{-9'000'000'000'000'000'000});
    EXPECT_EQ(u.AsInteger("Size"), std::int64_t{9'000'000'000'000'000'000});
    EXPECT_EQ(u.Get("KeyString"), Value(""));
    EXPECT_TRUE(u.IsNull("KeyDisplay"));
    EXPECT_TRUE(u.IsNull("Node"));
    EXPECT_EQ(u.AsInteger("ID"), -2147483647 - 1);
    EXPECT_EQ(u.AsBoolean("ContextEnabled"), i == 2);
  }
  EXPECT_EQ(i, names.size());
  EXPECT_EQ(u.Serialize(), image);

  // Rows appended after a load come after the loaded ones.
  u.Append();
  u.Set("FullName", "\\0");
  u.Post();
  u.Last();
  EXPECT_EQ(u.AsString("FullName"), "\\0");
}

TEST(TableFileRoundTrip, AnEmptyTableAndATableWithDeletedRows) {
  DataTable t(RelationsSchema());
  t.CreateEmpty();
  DataTable u(RelationsSchema());
  u.Load(t.Serialize());
  EXPECT_TRUE(u.IsEmpty());

  for (int i = 0; i < 5; ++i) AddRelation(t, i, i * 10);
  t.First();
  t.Next();
  t.Delete();
  u.Load(t.Serialize());
  std::vector<std::int64_t> ids;
  for (u.First(); !u.Eof(); u.Next()) ids.push_back(u.AsInteger("ID"));
  EXPECT_THAT(ids, ::testing::ElementsAre(0, 2, 3, 4));
}

TEST(TableFileRoundTrip, TextsWrittenWiderThanTheTableAreCutOnLoad) {
  TableSchema wide = WindowsSchema();
  wide.fields[0].width = 200;  // WinTitle
  DataTable writer(wide);
  writer.CreateEmpty();
  writer.Append();
  writer.Set("WinTitle", std::string(150, 'w'));
  writer.Post();
  DataTable reader(WindowsSchema());
  reader.Load(writer.Serialize());
  EXPECT_EQ(reader.AsString("WinTitle"), std::string(100, 'w'));
}

TEST(TableFileSchema, AFileOfAnotherTableIsRefusedWithTheDifference) {
  DataTable windows(WindowsSchema());
  windows.CreateEmpty();
  EXPECT_EQ(Refusal(windows.Serialize()), "the file has 6 fields, the table 2");

  TableSchema renamed = RelationsSchema();
  renamed.fields[1].name = "WindowID";
  renamed.indexes.clear();  // its index names the old field
  DataTable other(renamed);
  other.CreateEmpty();
  EXPECT_EQ(Refusal(other.Serialize()),
            "field 2 is \"WindowID\" (Int32) in the file but \"WinID\" (Int32) in the table");

  TableSchema retyped = RelationsSchema();
  retyped.fields[0].type = FieldType::Int64;
  DataTable third(retyped);
  third.CreateEmpty();
  EXPECT_EQ(Refusal(third.Serialize()), "field 1 is \"ID\" (Int64) in the file but \"ID\" (Int32) in the table");
}

TEST(TableFileDamage, EveryFlippedBitAndEveryTruncationIsRefused) {
  DataTable t(WindowsSchema());
  t.CreateEmpty();
  t.Append();
  t.Set("WinTitle", "Untitled - Notepad");
  t.Set("FileName", "notepad.exe");
  t.Set("ID", 42);
  t.Post();
  const Bytes image = t.Serialize();
  for (std::size_t i = 0; i < image.size(); ++i) {
    for (int bit = 0; bit < 8; bit += 3) {
      Bytes damaged = image;
      damaged[i] = static_cast<std::uint8_t>(damaged[i] ^ (1u << bit));
      EXPECT_NE(Refusal(damaged, WindowsSchema()), "loaded") << "byte " << i << " bit " << bit;
    }
  }
  for (std::size_t n = 0; n < image.size(); ++n) {
    EXPECT_NE(Refusal(Bytes(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(n)), WindowsSchema()), "loaded")
        << "cut to " << n;
  }
  Bytes longer = image;
  longer.push_back(0);
  EXPECT_NE(Refusal(longer, WindowsSchema()), "loaded");
}

TEST(TableFileDamage, NamesTheReason) {
  EXPECT_EQ(Refusal(Bytes{'h', 'e', 'l', 'l', 'o'}), "not a table file");
  EXPECT_EQ(Refusal(Image().Magic().U32(1).Sealed()), "the file is cut off");
  EXPECT_EQ(Refusal(Image().Magic().U32(2).U32(0).U32(0).Sealed()), "format version 2 is not one this program reads");
  Bytes image = Image().RelationsHeader().U32(0).Sealed();
  image.back() ^= 1;
  EXPECT_EQ(Refusal(image), "bad checksum");
}

// Images with a correct checksum whose counts and lengths lie.
TEST(TableFileHostile, CountsAndLengthsBeyondTheFileAreRefusedBeforeAllocating) {
  EXPECT_EQ(Refusal(Image().RelationsHeader().U32(0xFFFFFFFF).Sealed()),
            "the row count 4294967295 does not fit in the file");
  EXPECT_EQ(Refusal(Image().RelationsHeader().U32(1).U32(0xFFFFFFF0).U8(0).Sealed()), "row 1 is cut off");
  EXPECT_EQ(Refusal(Image().Magic().U32(1).U32(0xFFFFFFFF).U32(0).Sealed()),
            "the file has 4294967295 fields, the table 2");
  EXPECT_EQ(Refusal(Image().Magic().U32(1).U32(2).U8(4).U32(0).U8(200).Raw("ID").Sealed()),
            "the file is cut off in field 1");

  const TableSchema memo{"Memo", {{"M", FieldType::Memo, 0}}, {}, ""};
  const Bytes longText =
      Image().Magic().U32(1).U32(1).Field(FieldType::Memo, 0, "M").U32(1).U32(5).U8(0).U32(0xFFFFFFFF).Sealed();
  EXPECT_EQ(Refusal(longText, memo), "row 1: field 1 is longer than the row");
}

TEST(TableFileHostile, RowsMustFillTheirLengthExactlyWithValidCells) {
  auto row = [](std::uint32_t length, std::uint8_t flags, std::initializer_list<std::uint32_t> cells) {
    Image image;
    image.RelationsHeader().U32(1).U32(length).U8(flags);
    for (std::uint32_t c : cells) image.U32(c);
    return image.Sealed();
  };
  EXPECT_EQ(Refusal(row(9, 0, {1, 2})), "loaded");
  EXPECT_EQ(Refusal(row(5, 0, {1})), "row 1: field 2 is cut off");
  EXPECT_EQ(Refusal(row(9, 0x02, {1, 2})), "row 1: 4 bytes left over after the last field");
  EXPECT_EQ(Refusal(row(1, 0x07, {})), "row 1: null flags for fields that do not exist");
  EXPECT_EQ(Refusal(row(0, 0, {})), "row 1: the row is shorter than its null flags");

  const TableSchema flag{"Flag", {{"F", FieldType::Boolean, 0}}, {}, ""};
  const Bytes two = Image().Magic().U32(1).U32(1).Field(FieldType::Boolean, 0, "F").U32(1).U32(2).U8(0).U8(2).Sealed();
  EXPECT_EQ(Refusal(two, flag), "row 1: field 1 is not a Boolean");
  Bytes trailing = Image().RelationsHeader().U32(0).U8(7).Sealed();
  EXPECT_EQ(Refusal(trailing), "1 byte after the last row");
}

}  // namespace
}  // namespace tembric::store
