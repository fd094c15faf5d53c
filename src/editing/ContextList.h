#pragma once
// The record dialog's list of a record's contexts: one row per context,
// each owning its descriptor, kept sorted by application. Rows added while
// the dialog is open have ID 0; deleting a stored row remembers its ID so
// that saving can remove it from the contexts table.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "context/WinDescriptor.h"
#include "platform/Collation.h"

namespace tembric::editing {

struct PickerResult;

// Descriptor types of a context.
inline constexpr std::uint8_t kContextApplication = 0;
inline constexpr std::uint8_t kContextTitle = 1;
inline constexpr std::uint8_t kContextAddress = 2;
inline constexpr std::uint8_t kContextTitleMask = 3;

inline constexpr const char* kWholeApplicationText = "(Whole application)";
inline constexpr const char* kAddressApplication = "Internet Explorer";

struct ContextRow {
  context::TWinDescriptor descriptor;

  // The "Application" column.
  const std::string& Application() const { return descriptor.FileName; }
  // The "Type" column: "Appl", "Title", "URL" or "Mask"; empty for other types.
  std::string Type() const;
  // The "Window title/mask" column.
  std::string TitleOrMask() const;
};

class ContextList {
 public:
  explicit ContextList(const platform::Collation& collation = platform::UserCollation());

  const std::vector<ContextRow>& Rows() const { return rows_; }
  std::size_t Count() const { return rows_.size(); }

  // Inserts a row in its place by application (after rows of an equal
  // application); gives its index.
  std::size_t Add(context::TWinDescriptor descriptor);

  // True when a row has the candidate's type and application and, for types
  // 1 to 3, its title too (exact texts). Type 4 and above is never equal.
  bool WinExistsInList(const context::TWinDescriptor& candidate) const;

  // "New item" after the picker's OK: the web-address mode adds one address
  // row; the other modes add each checked window, the mode applied, unless
  // an equal row exists. Gives how many rows were added.
  std::size_t AddFromPicker(PickerResult result);

  // Removes row `index`; a stored row's ID (above 0) goes to DeletedWinIDs.
  void DeleteRow(std::size_t index);
  void Clear() { rows_.clear(); }

  // IDs, as decimal text, of stored rows deleted since the last clear.
  const std::vector<std::string>& DeletedWinIDs() const { return deletedWinIds_; }
  void ClearDeletedWinIDs() { deletedWinIds_.clear(); }

 private:
  const platform::Collation& collation_;
  std::vector<ContextRow> rows_;
  std::vector<std::string> deletedWinIds_;
};

}  // namespace tembric::editing
