#include "store/DataTable.h"

#include "store/DataTableImpl.h"

// The table's members are implemented by concern: DataTableFields.cpp,
// DataTableOrderings.cpp, DataTableCursor.cpp and DataTablePersistence.cpp.

namespace tembric::store {

DataTable::DataTable(TableSchema schema) {
  detail::ValidateSchema(schema);
  impl_ = std::make_unique<Impl>(*this, std::move(schema));
  Impl& t = *impl_;
  for (const IndexDef& index : t.schema.indexes)
    t.named.push_back(Ordering{detail::ParseFieldList(t.schema, index.fields), {}});
  const std::string ordering = t.schema.defaultOrdering;
  if (ordering.empty()) return;
  for (std::size_t i = 0; i < t.schema.indexes.size(); ++i) {
    if (t.schema.indexes[i].name == ordering) {
      t.order = &t.named[i];
      t.namedIndex = static_cast<int>(i);
      return;
    }
  }
  SetIndexFieldNames(ordering);
}

DataTable::~DataTable() = default;

const TableSchema& DataTable::Schema() const { return impl_->schema; }

int DataTable::FieldIndex(std::string_view field) const { return detail::FindField(impl_->schema.fields, field); }

}  // namespace tembric::store
