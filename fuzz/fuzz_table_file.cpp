// The table file loader on arbitrary bytes, for each of the three tables.
// A refused image must leave the table empty; an accepted one must survive
// Serialize and Load unchanged and be sortable on every field. Each input is
// also tried with its last four bytes replaced by the right checksum, so that
// the fuzzer gets past the checksum to the parser behind it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "store/Crc32.h"
#include "store/DataTable.h"
#include "store/Tables.h"

namespace {

using namespace tembric::store;

const TableSchema& SchemaNumber(int i) {
  static const TableSchema schemas[] = {RecordsSchema(), WindowsSchema(), RelationsSchema()};
  return schemas[i];
}

void Check(const TableSchema& schema, std::span<const std::uint8_t> bytes) {
  DataTable table(schema);
  try {
    table.Load(bytes);
  } catch (const TableError&) {
    if (!table.IsEmpty()) std::abort();
    return;
  }
  const Bytes image = table.Serialize();
  DataTable again(schema);
  again.Load(image);  // an exception here ends the run as a crash
  if (again.Serialize() != image || again.RecordCount() != table.RecordCount()) std::abort();

  for (const FieldDef& field : schema.fields) {
    again.SetIndexFieldNames(field.name);
    std::size_t rows = 0;
    for (again.First(); !again.Eof(); again.Next()) ++rows;
    if (rows != table.RecordCount()) std::abort();
    if (!again.IsEmpty()) {
      const Value first = (again.First(), again.Get(field.name));
      if (!again.FindKey(std::span<const Value>(&first, 1))) std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);
  for (int i = 0; i < 3; ++i) Check(SchemaNumber(i), input);
  if (size >= 4) {
    Bytes sealed(data, data + size - 4);
    const std::uint32_t crc = Crc32(sealed);
    for (int i = 0; i < 4; ++i) sealed.push_back(static_cast<std::uint8_t>(crc >> (8 * i)));
    for (int i = 0; i < 3; ++i) Check(SchemaNumber(i), sealed);
  }
  return 0;
}
