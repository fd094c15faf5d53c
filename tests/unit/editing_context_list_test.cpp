// The record dialog's context list: equal rows, what the picker's choice
// adds in each mode, deleting, and the order by application.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editing/ContextList.h"
#include "editing/WindowPicker.h"

namespace tembric::editing {
namespace {

using context::TWinDescriptor;

TWinDescriptor Window(std::string application, std::string title, std::uint8_t type = 0, std::int32_t id = 0) {
  return {.WinTitle = std::move(title),
          .FileName = std::move(application),
          .VersionName = {},
          .FilePath = {},
          .ID = id,
          .Wnd = platform::kNoWindow,
          .WinType = type};
}

// Each row as "application|type|title or mask".
std::vector<std::string> Shown(const ContextList& list) {
  std::vector<std::string> shown;
  for (const ContextRow& row : list.Rows())
    shown.push_back(row.Application() + "|" + row.Type() + "|" + row.TitleOrMask());
  return shown;
}

TEST(ContextListTest, EqualRowsHaveTheTypeAndApplicationAndBeyondWholeApplicationsTheTitleExactly) {
  ContextList list;
  list.Add(Window("Editor", "(Whole application)", 0));
  list.Add(Window("Editor", "a.txt - Editor", 1));
  list.Add(Window("Internet Explorer", "*example.com*", 2));
  list.Add(Window("Editor", "*.txt*", 3));
  list.Add(Window("Editor", "a.txt - Editor", 4));

  const struct {
    TWinDescriptor candidate;
    bool equal;
  } cases[] = {
      {Window("Editor", "b.txt - Editor", 0), true},  // the title does not count
      {Window("editor", "(Whole application)", 0), false},
      {Window("Notepad", "(Whole application)", 0), false},
      {Window("Editor", "a.txt - Editor", 1), true},
      {Window("Editor", "A.txt - Editor", 1), false},
      {Window("Notepad", "a.txt - Editor", 1), false},
      {Window("Internet Explorer", "*example.com*", 2), true},
      {Window("Internet Explorer", "*example.org*", 2), false},
      {Window("Editor", "*.txt*", 3), true},
      {Window("Editor", "*.TXT*", 3), false},
      {Window("Editor", "*.txt*", 1), false},
      {Window("Editor", "a.txt - Editor", 4), false},  // never equal, even to its twin
      {Window("Editor", "a.txt - Editor", 5), false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(list.WinExistsInList(c.candidate), c.equal)
        << int{c.candidate.WinType} << " " << c.candidate.FileName << " " << c.candidate.WinTitle;
}

TEST(ContextListTest, ThePickersChoiceAddsRowsByMode) {
  const std::string longMask(300, 'm');
  const struct {
    const char* name;
    std::vector<PickerResult> choices;  // one "New item" each, on the same list
    std::vector<std::string> shown;
  } cases[] = {
      {"whole application twice adds once",
       {{MapMode::WholeApplication, "", "", {Window("Editor", "a.txt - Editor")}},
        {MapMode::WholeApplication, "", "", {Window("Editor", "b.txt - Editor")}}},
       {"Editor|Appl|(Whole application)"}},
      {"whole application and a title add two",
       {{MapMode::WholeApplication, "", "", {Window("Editor", "a.txt - Editor")}},
        {MapMode::SelectedTitle, "", "", {Window("Editor", "a.txt - Editor")}}},
       {"Editor|Appl|(Whole application)", "Editor|Title|a.txt - Editor"}},
      {"titles of one application, each once",
       {{MapMode::SelectedTitle, "", "", {Window("Editor", "a.txt - Editor"), Window("Editor", "b.txt - Editor")}},
        {MapMode::SelectedTitle, "", "", {Window("Editor", "b.txt - Editor")}}},
       {"Editor|Title|a.txt - Editor", "Editor|Title|b.txt - Editor"}},
      {"the mask replaces every checked title",
       {{MapMode::TitleMask, "*.txt*", "*ignored*", {Window("Notepad", "x"), Window("Editor", "y")}},
        {MapMode::TitleMask, "*.txt*", "", {Window("Editor", "z")}}},
       {"Editor|Mask|*.txt*", "Notepad|Mask|*.txt*"}},
      {"a mask is cut to the field",
       {{MapMode::TitleMask, longMask, "", {Window("Editor", "y")}}},
       {"Editor|Mask|" + longMask.substr(0, 255)}},
      {"addresses need no window and are never compared",
       {{MapMode::WebAddress, "", "", {}},
        {MapMode::WebAddress, "", "", {Window("Editor", "ignored")}},
        {MapMode::WebAddress, "*.*", longMask, {}}},
       {"Internet Explorer|URL|", "Internet Explorer|URL|", "Internet Explorer|URL|" + longMask.substr(0, 255)}},
      {"no checked window adds nothing",
       {{MapMode::WholeApplication, "", "", {}},
        {MapMode::SelectedTitle, "", "", {}},
        {MapMode::TitleMask, "*", "", {}}},
       {}},
  };
  for (const auto& c : cases) {
    ContextList list;
    std::size_t added = 0;
    for (const PickerResult& choice : c.choices) added += list.AddFromPicker(choice);
    EXPECT_EQ(Shown(list), c.shown) << c.name;
    EXPECT_EQ(added, c.shown.size()) << c.name;
    for (const ContextRow& row : list.Rows()) {
      EXPECT_EQ(row.descriptor.ID, 0) << c.name;
      if (row.descriptor.WinType != kContextTitleMask) {
        EXPECT_EQ(row.descriptor.WinTitle, row.TitleOrMask()) << c.name;
      }
    }
  }
}

TEST(ContextListTest, AnAddressRowIsAnInternetExplorerDescriptorOfTypeTwo) {
  ContextList list;
  list.AddFromPicker({MapMode::WebAddress, "", "*example.com*", {}});
  ASSERT_EQ(list.Count(), 1u);
  EXPECT_EQ(list.Rows()[0].descriptor, Window("Internet Explorer", "*example.com*", kContextAddress));
}

TEST(ContextListTest, RowsStaySortedByApplicationAndDeletingRemembersStoredIds) {
  ContextList list;
  list.Add(Window("Zed", "", 0, 12));
  list.Add(Window("alpha", "a", 1, 0));
  list.Add(Window("Beta", "", 0, 7));
  list.AddFromPicker({MapMode::SelectedTitle, "", "", {Window("Alpha", "b")}});
  EXPECT_EQ(Shown(list), (std::vector<std::string>{"alpha|Title|a", "Alpha|Title|b", "Beta|Appl|(Whole application)",
                                                   "Zed|Appl|(Whole application)"}));

  list.DeleteRow(0);  // not yet stored
  EXPECT_TRUE(list.DeletedWinIDs().empty());
  list.DeleteRow(2);
  list.DeleteRow(1);
  EXPECT_EQ(list.DeletedWinIDs(), (std::vector<std::string>{"12", "7"}));
  EXPECT_EQ(Shown(list), std::vector<std::string>{"Alpha|Title|b"});
  EXPECT_THROW(list.DeleteRow(1), std::out_of_range);

  list.ClearDeletedWinIDs();
  list.Clear();
  EXPECT_TRUE(list.DeletedWinIDs().empty());
  EXPECT_EQ(list.Count(), 0u);
}

}  // namespace
}  // namespace tembric::editing
