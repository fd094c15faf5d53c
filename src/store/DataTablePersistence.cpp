// Persistence: the table's file, its image, and installing a fresh set of rows.

#include "platform/FileSystem.h"
#include "store/DataTableImpl.h"
#include "store/TableFile.h"

namespace tembric::store {

using detail::Quote;
using detail::RowList;

// ---- Loading -----------------------------------------------------------------

void DataTable::Impl::InstallRows(RowList rows) {
  state = TableState::Browse;
  buffer.clear();
  beforeAppend = nullptr;
  FreeAllRows();
  addition.rows = rows.Release();
  nextSeq = addition.rows.size() + 1;
  for (Ordering& o : named) Sort(o);
  if (adhoc) Sort(*adhoc);
  ClearRange();
  RecomputeBounds();
  current = nullptr;
  Rewind();
}

void DataTable::Impl::Reset(RowList rows) {
  InstallRows(std::move(rows));
  Notify(DataEvent::DataChanged);
  Scrolled();
}

// ---- The file ----------------------------------------------------------------------

void DataTable::SetFileName(std::string path) { impl_->fileName = std::move(path); }

const std::string& DataTable::FileName() const { return impl_->fileName; }

bool DataTable::Open(platform::FileSystem& fs) {
  Impl& t = *impl_;
  if (t.fileName.empty()) throw TableError("Table " + Quote(t.schema.name) + " has no file name");
  t.saveBlocked = false;
  std::optional<std::string> failure;
  bool damaged = false;
  RowList rows;
  try {
    if (!fs.Exists(t.fileName)) {
      CreateEmpty();
      return false;
    }
    // A sharing violation (a backup or a scanner reading the file) or a
    // network hiccup passes; only what persists counts as a failure.
    const Bytes image = platform::RetryFileOperation(
        fs, [&] { return fs.ReadAll(t.fileName); }, platform::IsTransient);
    rows = detail::DecodeTableFile(t.schema.fields, t.codec, image);
  } catch (const platform::FileError& e) {
    failure = e.Reason();
  } catch (const TableError& e) {
    failure = e.what();
    damaged = true;
  }
  if (!failure) {
    t.Reset(std::move(rows));
    return true;
  }
  const std::string reason = *failure;
  t.saveBlocked = true;
  t.Reset(RowList());
  throw TableFileError(t.fileName, reason, "Cannot read the table file " + Quote(t.fileName) + ": " + reason, damaged);
}

void DataTable::Save(platform::FileSystem& fs) {
  Impl& t = *impl_;
  t.CheckActive();
  if (t.fileName.empty()) throw TableError("Table " + Quote(t.schema.name) + " has no file name");
  if (t.saveBlocked) {
    throw TableFileError(t.fileName, "the file could not be read and was not moved aside",
                         "Will not write over the unreadable table file " + Quote(t.fileName));
  }
  t.PostIfEditing();
  const Bytes image = Serialize();
  try {
    platform::WriteFileAtomically(fs, t.fileName, image);
  } catch (const platform::SaveError& e) {
    std::string message = "Cannot save the table file " + Quote(t.fileName) + ": " + e.Reason();
    if (!e.KeptCopy().empty())
      message +=
          ". The saved table was kept as " + Quote(e.KeptCopy()) + "; Tembric takes it from there at the next start";
    throw TableFileError(t.fileName, e.Reason(), message);
  }
}

void DataTable::AllowSaveOverUnreadableFile() { impl_->saveBlocked = false; }

void DataTable::BlockSave() { impl_->saveBlocked = true; }

bool DataTable::SaveBlocked() const { return impl_->saveBlocked; }

// ---- The image ---------------------------------------------------------------------

Bytes DataTable::Serialize() const {
  const Impl& t = *impl_;
  return detail::EncodeTableFile(t.schema.fields, t.codec, t.addition.rows);
}

void DataTable::Load(std::span<const std::uint8_t> image) {
  Impl& t = *impl_;
  RowList rows;
  try {
    rows = detail::DecodeTableFile(t.schema.fields, t.codec, image);
  } catch (const TableError&) {
    t.Reset(RowList());
    throw;
  }
  t.Reset(std::move(rows));
}

void DataTable::CreateEmpty() { impl_->Reset(RowList()); }

}  // namespace tembric::store
