#pragma once
// The table file: the fields of a table and its rows in order of addition,
// closed by a CRC-32. The layout is described in docs/table-file-format.md.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "store/DataTable.h"
#include "store/RowBlock.h"

namespace tembric::store::detail {

inline constexpr std::array<std::uint8_t, 8> kTableFileMagic = {0x89, 'T', 'B', 'L', '\r', '\n', 0x1A, '\n'};
inline constexpr std::uint32_t kTableFileVersion = 1;

// The image of `rows`, which must be in order of addition.
Bytes EncodeTableFile(const std::vector<FieldDef>& fields, const RowCodec& codec, std::span<Row* const> rows);

// The rows of `image`, numbered 1, 2, ... in order of addition. Throws
// TableError whose text is the reason alone ("bad checksum", ...). Checks
// every length and count against the bytes that remain before it allocates,
// so that it allocates at most a small multiple of the image's size.
RowList DecodeTableFile(const std::vector<FieldDef>& fields, const RowCodec& codec,
                        std::span<const std::uint8_t> image);

}  // namespace tembric::store::detail
