#include "store/TableFile.h"

#include <bit>
#include <cstring>
#include <string>

#include "store/Crc32.h"

namespace tembric::store::detail {
namespace {

constexpr std::size_t kCrcSize = 4;
// Magic, version, field count, row count and CRC: the least a file can hold.
constexpr std::size_t kMinimumFileSize = 8 + 4 + 4 + 4 + kCrcSize;

std::size_t NullFlagBytes(std::size_t fieldCount) { return (fieldCount + 7) / 8; }

// ---- Writing ----------------------------------------------------------------

class Writer {
 public:
  explicit Writer(std::uint8_t* out) : p_(out) {}
  void Put(const void* bytes, std::size_t n) {
    if (n != 0) std::memcpy(p_, bytes, n);
    p_ += n;
  }
  void U8(std::uint8_t v) { *p_++ = v; }
  // `size` bytes of `v`, least significant first.
  void Little(std::uint64_t v, std::size_t size) {
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(p_, &v, size);
    } else {
      for (std::size_t i = 0; i < size; ++i) p_[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    p_ += size;
  }
  void U32(std::uint32_t v) { Little(v, 4); }
  // Leaves `n` bytes for the caller to fill and returns where they start.
  std::uint8_t* Position() const { return p_; }
  std::uint8_t* Skip(std::size_t n) {
    std::uint8_t* at = p_;
    p_ += n;
    return at;
  }

 private:
  std::uint8_t* p_;
};

// Bytes of a row after its length word.
std::size_t RowBodySize(const RowCodec& codec, const Row& row) {
  const std::size_t n = codec.FieldCount();
  std::size_t size = NullFlagBytes(n);
  for (std::size_t f = 0; f < n; ++f) {
    if (row.IsNull(f)) continue;
    const std::uint32_t fixed = FixedCellSize(codec.Type(f));
    size += fixed != 0 ? fixed : 4 + codec.Cell(row, f).size();
  }
  return size;
}

// ---- Reading ----------------------------------------------------------------

std::string Quote(std::string_view text) { return "\"" + std::string(text) + "\""; }

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : p_(bytes.data()), end_(bytes.data() + bytes.size()) {}
  std::size_t Remaining() const { return static_cast<std::size_t>(end_ - p_); }
  const std::uint8_t* Position() const { return p_; }

  // Each throws `what` when fewer bytes remain than it needs.
  std::uint64_t Little(std::size_t size, const std::string& what) {
    Need(size, what);
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < size; ++i) v |= static_cast<std::uint64_t>(p_[i]) << (8 * i);
    p_ += size;
    return v;
  }
  std::uint32_t U32(const std::string& what) { return static_cast<std::uint32_t>(Little(4, what)); }
  std::uint8_t U8(const std::string& what) { return static_cast<std::uint8_t>(Little(1, what)); }
  const std::uint8_t* Take(std::size_t n, const std::string& what) {
    Need(n, what);
    const std::uint8_t* at = p_;
    p_ += n;
    return at;
  }

 private:
  void Need(std::size_t n, const std::string& what) const {
    if (Remaining() < n) throw TableError(what);
  }
  const std::uint8_t* p_;
  const std::uint8_t* end_;
};

std::uint32_t PeekU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::string FieldText(std::string_view name, std::uint8_t type) {
  return Quote(name) + " (" +
         (IsValidFieldType(type) ? std::string(FieldTypeName(static_cast<FieldType>(type)))
                                 : "unknown type " + std::to_string(type)) +
         ")";
}

void ReadFields(Reader& in, const std::vector<FieldDef>& fields) {
  const std::uint32_t count = in.U32("the file is cut off in its field list");
  if (count != fields.size()) {
    throw TableError("the file has " + std::to_string(count) + " fields, the table " + std::to_string(fields.size()));
  }
  for (std::size_t f = 0; f < fields.size(); ++f) {
    const std::string cut = "the file is cut off in field " + std::to_string(f + 1);
    const std::uint8_t type = in.U8(cut);
    in.U32(cut);  // the writer's width; the table's own width applies
    const std::uint8_t nameLength = in.U8(cut);
    const std::uint8_t* name = in.Take(nameLength, cut);
    const std::string_view fileName(reinterpret_cast<const char*>(name), nameLength);
    const FieldDef& want = fields[f];
    if (fileName != want.name || type != static_cast<std::uint8_t>(want.type)) {
      throw TableError("field " + std::to_string(f + 1) + " is " + FieldText(fileName, type) + " in the file but " +
                       FieldText(want.name, static_cast<std::uint8_t>(want.type)) + " in the table");
    }
  }
}

// One row's body: null flags, then the cells. Checks it completely before
// allocating the row. `sizes` is room for one size per field.
Row* ReadRow(const RowCodec& codec, const std::uint8_t* body, std::size_t size, std::size_t number, std::uint64_t seq,
             std::uint32_t* sizes) {
  const std::size_t n = codec.FieldCount();
  const std::size_t flagBytes = NullFlagBytes(n);
  auto bad = [number](const std::string& what) { return TableError("row " + std::to_string(number) + ": " + what); };
  if (size < flagBytes) throw bad("the row is shorter than its null flags");
  const std::uint8_t* flags = body;
  if (n % 8 != 0 && (flags[flagBytes - 1] >> (n % 8)) != 0) throw bad("null flags for fields that do not exist");
  auto isNull = [flags](std::size_t f) { return ((flags[f / 8] >> (f % 8)) & 1) != 0; };

  // First pass: validate and measure.
  std::size_t at = flagBytes;
  std::size_t dataBytes = 0;
  for (std::size_t f = 0; f < n; ++f) {
    if (isNull(f)) {
      sizes[f] = RowCodec::kNullSize;
      continue;
    }
    const FieldType type = codec.Type(f);
    const std::uint32_t fixed = FixedCellSize(type);
    if (fixed != 0) {
      if (size - at < fixed) throw bad("field " + std::to_string(f + 1) + " is cut off");
      if (type == FieldType::Boolean && body[at] > 1) throw bad("field " + std::to_string(f + 1) + " is not a Boolean");
      at += fixed;
      sizes[f] = fixed;
      dataBytes += fixed;
      continue;
    }
    if (size - at < 4) throw bad("field " + std::to_string(f + 1) + " is cut off");
    const std::uint32_t length = PeekU32(body + at);
    at += 4;
    if (size - at < length) throw bad("field " + std::to_string(f + 1) + " is longer than the row");
    at += length;
    sizes[f] = type == FieldType::Text && length > codec.Width(f) ? codec.Width(f) : length;
    dataBytes += sizes[f];
  }
  if (at != size) throw bad(std::to_string(size - at) + " bytes left over after the last field");
  if (dataBytes > kMaxRowData) throw bad("the row is too large");

  // Second pass: copy.
  Row* row = AllocateRow(n, dataBytes);
  row->seq = seq;
  codec.SetEnds(*row, sizes);
  at = flagBytes;
  for (std::size_t f = 0; f < n; ++f) {
    if (sizes[f] == RowCodec::kNullSize) continue;
    char* out = codec.CellStart(*row, f);
    const std::uint32_t fixed = FixedCellSize(codec.Type(f));
    if (fixed != 0) {
      if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(out, body + at, fixed);
      } else {
        for (std::uint32_t i = 0; i < fixed; ++i) out[i] = static_cast<char>(body[at + fixed - 1 - i]);
      }
      at += fixed;
    } else {
      const std::uint32_t length = PeekU32(body + at);
      at += 4;
      if (sizes[f] != 0) std::memcpy(out, body + at, sizes[f]);
      at += length;
    }
  }
  return row;
}

}  // namespace

Bytes EncodeTableFile(const std::vector<FieldDef>& fields, const RowCodec& codec, std::span<Row* const> rows) {
  const std::size_t n = fields.size();
  std::size_t total = kTableFileMagic.size() + 4 + 4;
  for (const FieldDef& f : fields) total += 1 + 4 + 1 + f.name.size();
  total += 4;
  for (const Row* row : rows) total += 4 + RowBodySize(codec, *row);
  total += kCrcSize;

  Bytes image(total);
  Writer out(image.data());
  out.Put(kTableFileMagic.data(), kTableFileMagic.size());
  out.U32(kTableFileVersion);
  out.U32(static_cast<std::uint32_t>(n));
  for (const FieldDef& f : fields) {
    out.U8(static_cast<std::uint8_t>(f.type));
    out.U32(f.type == FieldType::Text ? f.width : 0);
    out.U8(static_cast<std::uint8_t>(f.name.size()));
    out.Put(f.name.data(), f.name.size());
  }
  out.U32(static_cast<std::uint32_t>(rows.size()));
  // The checksum follows the writing row by row, while the bytes are still in the cache.
  std::uint32_t crc = Crc32(std::span<const std::uint8_t>(image.data(), out.Position() - image.data()));
  const std::size_t flagBytes = NullFlagBytes(n);
  for (const Row* row : rows) {
    std::uint8_t* const rowStart = out.Position();
    out.U32(static_cast<std::uint32_t>(RowBodySize(codec, *row)));
    std::uint8_t* flags = out.Skip(flagBytes);
    std::memset(flags, 0, flagBytes);
    for (std::size_t f = 0; f < n; ++f) {
      if (row->IsNull(f)) {
        flags[f / 8] = static_cast<std::uint8_t>(flags[f / 8] | (1u << (f % 8)));
        continue;
      }
      const FieldType type = codec.Type(f);
      if (FixedCellSize(type) != 0) {
        out.Little(static_cast<std::uint64_t>(codec.Number(*row, f)), FixedCellSize(type));
      } else {
        const std::string_view cell = codec.Cell(*row, f);
        out.U32(static_cast<std::uint32_t>(cell.size()));
        out.Put(cell.data(), cell.size());
      }
    }
    crc = Crc32(std::span<const std::uint8_t>(rowStart, out.Position() - rowStart), crc);
  }
  out.U32(crc);
  return image;
}

RowList DecodeTableFile(const std::vector<FieldDef>& fields, const RowCodec& codec,
                        std::span<const std::uint8_t> image) {
  if (image.size() < kTableFileMagic.size() ||
      std::memcmp(image.data(), kTableFileMagic.data(), kTableFileMagic.size()) != 0) {
    throw TableError("not a table file");
  }
  if (image.size() < kMinimumFileSize) throw TableError("the file is cut off");
  const std::uint32_t version = PeekU32(image.data() + kTableFileMagic.size());
  if (version != kTableFileVersion) {
    throw TableError("format version " + std::to_string(version) + " is not one this program reads");
  }
  const std::size_t bodySize = image.size() - kCrcSize;
  if (Crc32(image.first(bodySize)) != PeekU32(image.data() + bodySize)) throw TableError("bad checksum");

  Reader in(image.first(bodySize));
  in.Take(kTableFileMagic.size() + 4, "the file is cut off");
  ReadFields(in, fields);
  const std::uint32_t rowCount = in.U32("the file is cut off before its row count");
  // Every row takes at least its length word and its null flags.
  const std::size_t smallestRow = 4 + NullFlagBytes(fields.size());
  if (rowCount > in.Remaining() / smallestRow) {
    throw TableError("the row count " + std::to_string(rowCount) + " does not fit in the file");
  }
  RowList rows;
  rows.Reserve(rowCount);
  std::vector<std::uint32_t> sizes(fields.size());
  for (std::uint32_t i = 0; i < rowCount; ++i) {
    if (in.Remaining() < 4 || in.Remaining() - 4 < PeekU32(in.Position())) {
      throw TableError("row " + std::to_string(i + 1) + " is cut off");
    }
    const std::uint32_t size = in.U32("");
    const std::uint8_t* body = in.Take(size, "");
    rows.Push(ReadRow(codec, body, size, i + 1, i + 1, sizes.data()));
  }
  if (in.Remaining() != 0) {
    throw TableError(std::to_string(in.Remaining()) + (in.Remaining() == 1 ? " byte" : " bytes") +
                     " after the last row");
  }
  return rows;
}

}  // namespace tembric::store::detail
