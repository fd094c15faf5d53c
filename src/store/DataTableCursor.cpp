// The cursor: the range of visible rows, the current row, navigation, row
// changes, notifications of bound views and bookmarks.

#include <algorithm>
#include <iterator>
#include <unordered_map>
#include <unordered_set>

#include "store/DataTableImpl.h"

namespace tembric::store {

using detail::Quote;

// ---- Range and cursor --------------------------------------------------------

void DataTable::Impl::ClearRange() {
  hasRange = false;
  low.clear();
  high.clear();
  lowValues.clear();
  highValues.clear();
}

void DataTable::Impl::RecomputeBounds() {
  const std::size_t n = order->rows.size();
  if (!hasRange) {
    lo = 0;
    hi = n;
    return;
  }
  lo = LowerBound(0, n, low);
  hi = std::max(lo, UpperBound(lo, n, high));
}

std::size_t DataTable::Impl::Pos() {
  if (pos >= order->rows.size() || order->rows[pos] != current) pos = PosOf(*order, current);
  return pos;
}

void DataTable::Impl::MoveTo(std::size_t p) {
  current = order->rows[p];
  pos = p;
}

void DataTable::Impl::Settle(Row* row) {
  RecomputeBounds();
  if (Empty()) {
    current = nullptr;
    bof = eof = true;
    return;
  }
  std::size_t p = row != nullptr ? PosOf(*order, row) : lo;
  p = std::clamp(p, lo, hi - 1);
  MoveTo(p);
  bof = eof = false;
}

void DataTable::Impl::Rewind() {
  if (!Empty()) MoveTo(lo);
  bof = true;
  eof = Empty();
}

void DataTable::Impl::LandOn(std::size_t p) {
  MoveTo(p);
  bof = eof = false;
  Scrolled();
}

// ---- States --------------------------------------------------------------------

void DataTable::Impl::CheckActive() const {
  if (state == TableState::Inactive) throw TableError("Table " + Quote(schema.name) + " is not open");
}

void DataTable::Impl::PostIfEditing() {
  if (Editing()) self.Post();
}

// ---- Notifications -----------------------------------------------------------

void DataTable::Impl::Notify(DataEvent event) {
  if (disabled > 0) return;
  for (std::size_t i = 0; i < observers.size(); ++i) {
    const std::shared_ptr<Observer> fn = observers[i].fn;  // survives a removal during the call
    if (fn && *fn) (*fn)(event);
  }
}

void DataTable::Impl::Scrolled() {
  Notify(DataEvent::Scrolled);
  if (afterScroll) {
    const std::shared_ptr<AfterScrollHandler> handler = afterScroll;  // survives detaching during the call
    (*handler)(self);
  }
}

// ---- Navigation --------------------------------------------------------------------

void DataTable::First() {
  Impl& t = *impl_;
  t.CheckActive();
  t.PostIfEditing();
  t.Rewind();
  t.Scrolled();
}

void DataTable::Last() {
  Impl& t = *impl_;
  t.CheckActive();
  t.PostIfEditing();
  if (!t.Empty()) t.MoveTo(t.hi - 1);
  t.eof = true;
  t.bof = t.Empty();
  t.Scrolled();
}

void DataTable::Next() {
  Impl& t = *impl_;
  t.CheckActive();
  t.PostIfEditing();
  if (t.Empty() || t.Pos() + 1 >= t.hi) {
    t.eof = true;
    t.bof = t.Empty();
    return;
  }
  t.LandOn(t.pos + 1);
}

void DataTable::Prior() {
  Impl& t = *impl_;
  t.CheckActive();
  t.PostIfEditing();
  if (t.Empty() || t.Pos() <= t.lo) {
    t.bof = true;
    t.eof = t.Empty();
    return;
  }
  t.LandOn(t.pos - 1);
}

bool DataTable::Eof() const { return impl_->eof || impl_->Empty(); }

bool DataTable::Bof() const { return impl_->bof || impl_->Empty(); }

bool DataTable::IsEmpty() const { return impl_->Empty(); }

std::size_t DataTable::RecordCount() const { return impl_->hi - impl_->lo; }

std::size_t DataTable::RecNo() const {
  Impl& t = *impl_;
  if (t.current == nullptr || t.state == TableState::Insert) return 0;
  return t.Pos() - t.lo + 1;
}

// ---- Row changes -----------------------------------------------------------------

void DataTable::Append() {
  Impl& t = *impl_;
  t.CheckActive();
  t.PostIfEditing();
  t.buffer.assign(t.FieldCount(), Value());
  t.beforeAppend = t.current;
  t.state = TableState::Insert;
  t.Notify(DataEvent::DataChanged);
}

void DataTable::Edit() {
  Impl& t = *impl_;
  t.CheckActive();
  if (t.Editing()) return;
  if (t.current == nullptr) throw TableError("Table " + Quote(t.schema.name) + " has no current row to edit");
  t.buffer.clear();
  t.buffer.reserve(t.FieldCount());
  for (std::size_t f = 0; f < t.FieldCount(); ++f) t.buffer.push_back(t.codec.Get(*t.current, f));
  t.state = TableState::Edit;
}

void DataTable::Post() {
  Impl& t = *impl_;
  t.CheckActive();
  if (!t.Editing()) return;
  if (t.state == TableState::Insert) {
    detail::Row* row = t.codec.Build(t.buffer, t.nextSeq);
    try {
      t.InsertRow(row);
    } catch (...) {
      detail::FreeRow(row);
      throw;
    }
    ++t.nextSeq;
    t.state = TableState::Browse;
    t.buffer.clear();
    t.beforeAppend = nullptr;
    t.Settle(row);
    t.Notify(DataEvent::DataChanged);
    return;
  }
  detail::Row* old = t.current;
  const std::size_t oldPos = t.Pos();
  detail::Row* row = t.codec.Build(t.buffer, old->seq);
  t.ReplaceRow(old, row);
  t.state = TableState::Browse;
  t.buffer.clear();
  t.current = row;
  t.Settle(row);
  t.Notify(t.pos == oldPos ? DataEvent::RowChanged : DataEvent::DataChanged);
}

void DataTable::Cancel() {
  Impl& t = *impl_;
  t.CheckActive();
  if (!t.Editing()) return;
  const bool appending = t.state == TableState::Insert;
  t.state = TableState::Browse;
  t.buffer.clear();
  if (appending) {
    t.current = t.beforeAppend;
    t.beforeAppend = nullptr;
    t.Notify(DataEvent::DataChanged);
  } else {
    t.Notify(DataEvent::RowChanged);
  }
}

std::size_t DataTable::DeleteRowsWithNull(std::span<const std::string_view> fields) {
  Impl& t = *impl_;
  t.CheckActive();
  t.PostIfEditing();
  std::vector<std::size_t> columns;
  for (const std::string_view field : fields) columns.push_back(t.FieldOrThrow(field));
  const auto doomed = [&](const detail::Row* row) {
    return std::any_of(columns.begin(), columns.end(), [&](std::size_t f) { return row->IsNull(f); });
  };
  std::vector<detail::Row*> gone;
  for (detail::Row* row : t.addition.rows)
    if (doomed(row)) gone.push_back(row);
  if (gone.empty()) return 0;
  // Every ordering keeps its survivors in place: one pass each instead of a
  // shift of the whole vector per deleted row.
  t.ForEachOrdering([&](Ordering& o) { std::erase_if(o.rows, doomed); });
  for (detail::Row* row : gone) detail::FreeRow(row);
  t.current = nullptr;
  t.RecomputeBounds();
  t.Rewind();
  t.Notify(DataEvent::DataChanged);
  t.Scrolled();
  return gone.size();
}

// While appending, Delete drops the new row as Cancel does; while editing,
// the edits are dropped with the row.
void DataTable::Delete() {
  Impl& t = *impl_;
  t.CheckActive();
  if (t.state == TableState::Insert) {
    Cancel();
    return;
  }
  if (t.current == nullptr) throw TableError("Table " + Quote(t.schema.name) + " has no current row to delete");
  t.state = TableState::Browse;
  t.buffer.clear();
  detail::Row* row = t.current;
  const std::size_t p = t.Pos();
  t.RemoveRow(row);
  detail::FreeRow(row);
  t.current = nullptr;
  t.RecomputeBounds();
  t.bof = t.eof = false;
  if (t.Empty()) {
    t.bof = t.eof = true;
  } else if (p < t.hi) {
    t.MoveTo(p);
  } else {
    t.MoveTo(t.hi - 1);
    t.eof = true;  // the last row went: a walk to the end is over
  }
  t.Notify(DataEvent::DataChanged);
  t.Scrolled();
}

TableState DataTable::State() const { return impl_->state; }

// ---- Range -----------------------------------------------------------------------

void DataTable::SetRange(std::span<const Value> low, std::span<const Value> high) {
  Impl& t = *impl_;
  t.CheckActive();
  t.PostIfEditing();
  t.ToKeys(low);  // checks before anything changes
  t.ToKeys(high);
  t.lowValues.assign(low.begin(), low.end());
  t.highValues.assign(high.begin(), high.end());
  t.low = t.ToKeys(t.lowValues);
  t.high = t.ToKeys(t.highValues);
  t.hasRange = true;
  t.current = nullptr;
  t.RecomputeBounds();
  t.Rewind();
  t.Notify(DataEvent::DataChanged);
  t.Scrolled();
}

void DataTable::CancelRange() {
  Impl& t = *impl_;
  if (!t.hasRange) return;
  t.PostIfEditing();
  t.ClearRange();
  t.Settle(t.current);
  t.Notify(DataEvent::DataChanged);
}

bool DataTable::HasRange() const { return impl_->hasRange; }

// ---- Notifications -----------------------------------------------------------------

void DataTable::SetAfterScroll(AfterScrollHandler handler) {
  impl_->afterScroll = handler ? std::make_shared<AfterScrollHandler>(std::move(handler)) : nullptr;
}

bool DataTable::HasAfterScroll() const { return impl_->afterScroll != nullptr; }

int DataTable::AddObserver(Observer observer) {
  Impl& t = *impl_;
  const int id = t.nextObserverId++;
  t.observers.push_back({id, std::make_shared<Observer>(std::move(observer))});
  return id;
}

void DataTable::RemoveObserver(int id) {
  auto& list = impl_->observers;
  list.erase(std::remove_if(list.begin(), list.end(), [id](const Impl::ObserverEntry& e) { return e.id == id; }),
             list.end());
}

void DataTable::DisableControls() { ++impl_->disabled; }

void DataTable::EnableControls() {
  Impl& t = *impl_;
  if (t.disabled == 0) return;
  if (--t.disabled == 0) t.Notify(DataEvent::DataChanged);
}

bool DataTable::ControlsDisabled() const { return impl_->disabled > 0; }

// ---- Positions ---------------------------------------------------------------------

DataTable::Bookmark DataTable::GetBookmark() const {
  const Impl& t = *impl_;
  if (t.current == nullptr || t.state == TableState::Insert) return 0;
  return t.current->seq;
}

bool DataTable::GotoBookmark(Bookmark bookmark) {
  Impl& t = *impl_;
  t.CheckActive();
  t.PostIfEditing();
  const auto& all = t.addition.rows;
  const auto it =
      std::lower_bound(all.begin(), all.end(), bookmark, [](const detail::Row* r, Bookmark b) { return r->seq < b; });
  if (it == all.end() || (*it)->seq != bookmark) return false;
  const std::size_t p = t.PosOf(*t.order, *it);
  if (p < t.lo || p >= t.hi) return false;
  t.LandOn(p);
  return true;
}

}  // namespace tembric::store

// ---- Changes of many rows ------------------------------------------------------------

namespace tembric::store {

namespace {

detail::Row* RowOfBookmark(const std::vector<detail::Row*>& all, DataTable::Bookmark bookmark) {
  const auto it = std::lower_bound(all.begin(), all.end(), bookmark,
                                   [](const detail::Row* r, DataTable::Bookmark b) { return r->seq < b; });
  return it == all.end() || (*it)->seq != bookmark ? nullptr : *it;
}

}  // namespace

std::size_t DataTable::DeleteRows(std::span<const Bookmark> rows) {
  Impl& t = *impl_;
  t.CheckActive();
  t.PostIfEditing();
  std::unordered_set<const detail::Row*> doomed;
  doomed.reserve(rows.size());
  for (const Bookmark bookmark : rows)
    if (detail::Row* row = RowOfBookmark(t.addition.rows, bookmark)) doomed.insert(row);
  if (doomed.empty()) return 0;
  const auto gone = [&](const detail::Row* row) { return doomed.count(row) != 0; };
  const auto& active = t.order->rows;
  const std::size_t first = static_cast<std::size_t>(std::find_if(active.begin(), active.end(), gone) - active.begin());
  std::vector<detail::Row*> freed;
  freed.reserve(doomed.size());
  for (detail::Row* row : t.addition.rows)
    if (gone(row)) freed.push_back(row);
  t.ForEachOrdering([&](Ordering& o) { std::erase_if(o.rows, gone); });
  for (detail::Row* row : freed) detail::FreeRow(row);
  t.current = nullptr;
  t.RecomputeBounds();
  t.bof = t.eof = false;
  if (t.Empty()) {
    t.bof = t.eof = true;
  } else if (first < t.lo) {
    t.MoveTo(t.lo);
  } else if (first < t.hi) {
    t.MoveTo(first);
  } else {
    t.MoveTo(t.hi - 1);
    t.eof = true;
  }
  t.Notify(DataEvent::DataChanged);
  t.Scrolled();
  return freed.size();
}

void DataTable::EditRows(std::span<const Bookmark> rows, const std::function<void(DataTable&)>& change) {
  Impl& t = *impl_;
  t.CheckActive();
  t.PostIfEditing();
  detail::Row* keep = t.current;
  std::unordered_map<const detail::Row*, detail::Row*> replaced;  // old → new
  std::vector<detail::Row*> olds;
  // Every ordering but that of addition gets the new rows in one merge.
  const auto finish = [&] {
    t.state = TableState::Browse;
    t.buffer.clear();
    if (replaced.empty()) {
      t.current = keep;
      return;
    }
    const auto isOld = [&](const detail::Row* row) { return replaced.count(row) != 0; };
    const auto reorder = [&](Ordering& o) {
      std::vector<detail::Row*> fresh;
      fresh.reserve(replaced.size());
      for (const detail::Row* old : olds) fresh.push_back(replaced[old]);
      std::sort(fresh.begin(), fresh.end(),
                [&](const detail::Row* a, const detail::Row* b) { return t.Less(o, a, b); });
      std::erase_if(o.rows, isOld);
      std::vector<detail::Row*> merged;
      merged.reserve(o.rows.size() + fresh.size());
      std::merge(o.rows.begin(), o.rows.end(), fresh.begin(), fresh.end(), std::back_inserter(merged),
                 [&](const detail::Row* a, const detail::Row* b) { return t.Less(o, a, b); });
      o.rows = std::move(merged);
    };
    for (Ordering& o : t.named) reorder(o);
    if (t.adhoc) reorder(*t.adhoc);
    for (detail::Row* old : olds) detail::FreeRow(old);
    t.current = keep;
    t.Settle(keep);
    t.Notify(DataEvent::DataChanged);
  };
  try {
    for (const Bookmark bookmark : rows) {
      auto& all = t.addition.rows;
      const auto it = std::lower_bound(all.begin(), all.end(), bookmark,
                                       [](const detail::Row* r, Bookmark b) { return r->seq < b; });
      if (it == all.end() || (*it)->seq != bookmark) continue;
      detail::Row* old = *it;
      t.current = old;
      t.buffer.clear();
      for (std::size_t f = 0; f < t.FieldCount(); ++f) t.buffer.push_back(t.codec.Get(*old, f));
      t.state = TableState::Edit;
      change(*this);
      detail::Row* row = t.codec.Build(t.buffer, old->seq);
      *it = row;  // the order of addition: the same place
      replaced.emplace(old, row);
      olds.push_back(old);
      if (keep == old) keep = row;
      t.state = TableState::Browse;
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

}  // namespace tembric::store
