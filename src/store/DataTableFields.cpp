// Field values and keys: schema checks, value normalisation, search keys and
// field access on the current row.

#include <algorithm>
#include <charconv>
#include <limits>

#include "store/DataTableImpl.h"

namespace tembric::store {

namespace detail {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::string Quote(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted += '"';
  quoted += text;
  quoted += '"';
  return quoted;
}

int FindField(const std::vector<FieldDef>& fields, std::string_view name) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

std::vector<std::size_t> ParseFieldList(const TableSchema& schema, std::string_view list) {
  std::vector<std::size_t> result;
  if (Trim(list).empty()) return result;
  while (true) {
    const std::size_t semi = list.find(';');
    const std::string_view name = Trim(list.substr(0, semi));
    const int f = FindField(schema.fields, name);
    if (f < 0) {
      throw TableError("Table " + Quote(schema.name) + " has no field " + Quote(name) + " for an ordering");
    }
    result.push_back(static_cast<std::size_t>(f));
    if (semi == std::string_view::npos) break;
    list.remove_prefix(semi + 1);
  }
  return result;
}

void ValidateSchema(const TableSchema& schema) {
  const std::string table = "Table " + Quote(schema.name) + ": ";
  if (schema.fields.empty()) throw TableError(table + "no fields");
  for (std::size_t i = 0; i < schema.fields.size(); ++i) {
    const FieldDef& f = schema.fields[i];
    if (f.name.empty() || f.name.size() > 255) throw TableError(table + "a field name must have 1 to 255 characters");
    if (FindField(schema.fields, f.name) != static_cast<int>(i)) {
      throw TableError(table + "field " + Quote(f.name) + " is declared twice");
    }
    if (!IsValidFieldType(static_cast<std::uint8_t>(f.type))) {
      throw TableError(table + "field " + Quote(f.name) + " has an unknown type");
    }
    if (f.type == FieldType::Text && f.width == 0) {
      throw TableError(table + "text field " + Quote(f.name) + " needs a width");
    }
  }
  for (std::size_t i = 0; i < schema.indexes.size(); ++i) {
    const IndexDef& index = schema.indexes[i];
    if (index.name.empty()) throw TableError(table + "an index needs a name");
    for (std::size_t j = 0; j < i; ++j) {
      if (schema.indexes[j].name == index.name) throw TableError(table + "index " + Quote(index.name) + " twice");
    }
    if (ParseFieldList(schema, index.fields).empty()) {
      throw TableError(table + "index " + Quote(index.name) + " has no fields");
    }
  }
}

std::vector<std::size_t> IndexedFields(const TableSchema& schema) {
  std::vector<std::size_t> fields;
  for (std::size_t depth = 0;; ++depth) {
    bool any = false;
    for (const IndexDef& index : schema.indexes) {
      const std::vector<std::size_t> list = ParseFieldList(schema, index.fields);
      if (depth < list.size()) {
        fields.push_back(list[depth]);
        any = true;
      }
    }
    if (!any) return fields;
  }
}

}  // namespace detail

using detail::Quote;

// ---- Fields and values -------------------------------------------------------

std::size_t DataTable::Impl::FieldOrThrow(std::string_view name) const {
  const int f = detail::FindField(schema.fields, name);
  if (f < 0) throw TableError("Table " + Quote(schema.name) + " has no field " + Quote(name));
  return static_cast<std::size_t>(f);
}

std::string DataTable::Impl::FieldLabel(std::size_t f) const {
  return "field " + Quote(schema.fields[f].name) + " of table " + Quote(schema.name);
}

Value DataTable::Impl::Normalize(std::size_t f, const Value& v) const {
  if (v.IsNull()) return v;
  const FieldDef& def = schema.fields[f];
  auto wrongKind = [&](const char* kind) { return TableError("The " + FieldLabel(f) + " takes " + kind); };
  switch (def.type) {
    case FieldType::Text:
      if (!v.IsText()) throw wrongKind("a text");
      if (v.Text().size() > def.width) return Value(std::string_view(v.Text()).substr(0, def.width));
      return v;
    case FieldType::Memo:
      if (!v.IsText()) throw wrongKind("a text");
      return v;
    case FieldType::Bytes:
      if (!v.IsBytes()) throw wrongKind("bytes");
      return v;
    case FieldType::Boolean:
      if (!v.IsBoolean()) throw wrongKind("a Boolean");
      return v;
    case FieldType::Int16:
    case FieldType::Int32:
    case FieldType::Int64: {
      if (!v.IsInteger()) throw wrongKind("an integer");
      const std::int64_t n = v.Integer();
      const bool fits = def.type == FieldType::Int16 ? n >= std::numeric_limits<std::int16_t>::min() &&
                                                           n <= std::numeric_limits<std::int16_t>::max()
                        : def.type == FieldType::Int32 ? n >= std::numeric_limits<std::int32_t>::min() &&
                                                             n <= std::numeric_limits<std::int32_t>::max()
                                                       : true;
      if (!fits) throw TableError(std::to_string(n) + " is out of range for the " + FieldLabel(f));
      return v;
    }
  }
  return v;
}

detail::KeyCell DataTable::Impl::ToKey(std::size_t f, const Value& v) const {
  KeyCell key;
  if (v.IsNull()) return key;
  key.null = false;
  const FieldDef& def = schema.fields[f];
  auto wrongKind = [&](const char* kind) { return TableError("A search on the " + FieldLabel(f) + " needs " + kind); };
  switch (def.type) {
    case FieldType::Text:
    case FieldType::Memo:
      if (!v.IsText()) throw wrongKind("a text");
      key.bytes = v.Text();
      if (def.type == FieldType::Text && key.bytes.size() > def.width) key.bytes = key.bytes.substr(0, def.width);
      break;
    case FieldType::Bytes:
      if (!v.IsBytes()) throw wrongKind("bytes");
      key.bytes = std::string_view(reinterpret_cast<const char*>(v.Blob().data()), v.Blob().size());
      break;
    case FieldType::Boolean:
      if (!v.IsBoolean()) throw wrongKind("a Boolean");
      key.number = v.Bool() ? 1 : 0;
      break;
    case FieldType::Int16:
    case FieldType::Int32:
    case FieldType::Int64:
      if (!v.IsInteger()) throw wrongKind("an integer");
      key.number = v.Integer();
      break;
  }
  return key;
}

std::vector<detail::KeyCell> DataTable::Impl::ToKeys(std::span<const Value> values) const {
  if (values.size() > order->fields.size()) {
    throw TableError("Table " + Quote(schema.name) + ": a key of " + std::to_string(values.size()) +
                     " values for an ordering on " + std::to_string(order->fields.size()) + " fields");
  }
  std::vector<KeyCell> keys;
  keys.reserve(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) keys.push_back(ToKey(order->fields[i], values[i]));
  return keys;
}

// ---- Field access ----------------------------------------------------------------

Value DataTable::Get(std::string_view field) const {
  const Impl& t = *impl_;
  const std::size_t f = t.FieldOrThrow(field);
  if (t.Editing()) return t.buffer[f];
  if (t.current == nullptr) return Value();
  return t.codec.Get(*t.current, f);
}

bool DataTable::IsNull(std::string_view field) const {
  const Impl& t = *impl_;
  const std::size_t f = t.FieldOrThrow(field);
  if (t.Editing()) return t.buffer[f].IsNull();
  return t.current == nullptr || t.current->IsNull(f);
}

std::string DataTable::AsString(std::string_view field) const {
  const Value v = Get(field);
  if (v.IsNull()) return {};
  if (v.IsText()) return v.Text();
  if (v.IsInteger()) return std::to_string(v.Integer());
  if (v.IsBoolean()) return v.Bool() ? "True" : "False";
  return std::string(v.Blob().begin(), v.Blob().end());
}

std::int64_t DataTable::AsInteger(std::string_view field) const {
  const Value v = Get(field);
  if (v.IsNull()) return 0;
  if (v.IsInteger()) return v.Integer();
  if (v.IsBoolean()) return v.Bool() ? 1 : 0;
  if (v.IsText()) {
    const std::string& s = v.Text();
    std::int64_t n = 0;
    const auto [end, err] = std::from_chars(s.data(), s.data() + s.size(), n);
    if (err == std::errc() && end == s.data() + s.size() && !s.empty()) return n;
    throw TableError(Quote(s) + " in field " + Quote(field) + " is not an integer");
  }
  throw TableError("Field " + Quote(field) + " holds bytes, not an integer");
}

bool DataTable::AsBoolean(std::string_view field) const {
  const Value v = Get(field);
  if (v.IsNull()) return false;
  if (v.IsBoolean()) return v.Bool();
  if (v.IsInteger()) return v.Integer() != 0;
  if (v.IsText()) {
    if (v.Text() == "True") return true;
    if (v.Text() == "False") return false;
    throw TableError(Quote(v.Text()) + " in field " + Quote(field) + " is not a Boolean");
  }
  throw TableError("Field " + Quote(field) + " holds bytes, not a Boolean");
}

Bytes DataTable::AsBytes(std::string_view field) const {
  const Value v = Get(field);
  if (v.IsNull()) return {};
  if (v.IsBytes()) return v.Blob();
  if (v.IsText()) return Bytes(v.Text().begin(), v.Text().end());
  throw TableError("Field " + Quote(field) + " holds no bytes");
}

void DataTable::Set(std::string_view field, const Value& value) {
  Impl& t = *impl_;
  t.CheckActive();
  const std::size_t f = t.FieldOrThrow(field);
  if (!t.Editing()) {
    throw TableError("Table " + Quote(t.schema.name) + " is not being edited; field " + Quote(field) +
                     " cannot be written");
  }
  t.buffer[f] = t.Normalize(f, value);
}

bool DataTable::WriteIntegerInPlace(std::string_view field, std::int64_t value) {
  Impl& t = *impl_;
  t.CheckActive();
  const std::size_t f = t.FieldOrThrow(field);
  if (t.state != TableState::Browse || t.current == nullptr || t.current->IsNull(f)) return false;
  const FieldType type = t.schema.fields[f].type;
  if (type != FieldType::Int16 && type != FieldType::Int32 && type != FieldType::Int64) return false;
  auto inOrdering = [f](const Ordering& o) { return std::find(o.fields.begin(), o.fields.end(), f) != o.fields.end(); };
  if (std::any_of(t.named.begin(), t.named.end(), inOrdering) || (t.adhoc && inOrdering(*t.adhoc))) return false;
  const Value normalized = t.Normalize(f, Value(value));  // range check
  t.codec.WriteFixed(*t.current, f, normalized.Integer());
  t.Notify(DataEvent::RowChanged);
  return true;
}

}  // namespace tembric::store
