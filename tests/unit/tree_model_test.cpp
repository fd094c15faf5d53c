// The record tree's model: the order of siblings under the user's collation,
// handles that never lead to the wrong node, navigation over expanded nodes,
// focus with its handlers, and what observers are told.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "fakes/TreeRecords.h"
#include "platform/Collation.h"
#include "platform/posix/PosixCollation.h"
#include "tree/TreeModel.h"

namespace tembric::tree {
namespace {

using fakes::ChildSubjects;
using fakes::Outline;
using ::testing::ElementsAre;

const platform::Collation& Collation() { return platform::UserCollation(); }

TNodeData Named(std::string subject, std::string tag = "") {
  TNodeData data;
  data.Subject = std::move(subject);
  data.FullName = std::move(tag);
  return data;
}

int Sign(int n) { return n < 0 ? -1 : n > 0 ? 1 : 0; }

// ---- Collation ------------------------------------------------------------------------

TEST(TreeCollation, PutsSymbolsBeforeDigitsBeforeLettersAndSmallBeforeCapital) {
  std::vector<std::string> texts = {"c", "Bc", "9", "*WinContext", "B", "(x", "b", "1abc", "a", "!x", "*Plugins", " x"};
  std::sort(texts.begin(), texts.end(),
            [](const std::string& a, const std::string& b) { return Collation().Compare(a, b) < 0; });
  EXPECT_THAT(texts, ElementsAre(" x", "!x", "(x", "*Plugins", "*WinContext", "1abc", "9", "a", "b", "B", "Bc", "c"));
}

TEST(TreeCollation, DecidesByCaseOnlyWhenTheLettersAreEqual) {
  EXPECT_LT(Collation().Compare("Aa", "ab"), 0);  // letters first: aa before ab
  EXPECT_LT(Collation().Compare("aB", "Ab"), 0);  // then the first case difference
  EXPECT_LT(Collation().Compare("mail", "Mail"), 0);
  EXPECT_GT(Collation().Compare("MAIL", "Mail"), 0);
  EXPECT_EQ(Collation().Compare("Mail", "Mail"), 0);
  EXPECT_LT(Collation().Compare("10", "9"), 0);  // digit by digit
}

TEST(TreeCollation, WeighsHyphenAndApostropheOnlyToBreakTies) {
  EXPECT_LT(Collation().Compare("coop", "co-op"), 0);
  EXPECT_LT(Collation().Compare("co-op", "coopa"), 0);
  EXPECT_LT(Collation().Compare("co-op", "cop"), 0);
  EXPECT_LT(Collation().Compare("dont", "don't"), 0);
  EXPECT_NE(Collation().Compare("co-op", "coop"), 0);
}

TEST(TreeCollation, SortsAccentedLettersWithTheirBaseLetter) {
  // Windows-1252: \xe9 e acute, \xe8 e grave, \xef i diaeresis, \x9a s caron.
  const std::string caron = std::string(1, '\x9a') + "afe";
  std::vector<std::string> texts = {"resumes", "r\xe8sume", "R\xe9sum\xe9", "r\xe9sum\xe9", "resum\xe9",
                                    "resume",  caron,       "Safe",         "safe",         "na\xefve"};
  std::sort(texts.begin(), texts.end(),
            [](const std::string& a, const std::string& b) { return Collation().Compare(a, b) < 0; });
  EXPECT_THAT(texts, ElementsAre("na\xefve", "resume", "resum\xe9", "r\xe9sum\xe9", "R\xe9sum\xe9", "r\xe8sume",
                                 "resumes", "safe", "Safe", caron));
}

TEST(TreeCollation, IsATotalOrder) {
  // Antisymmetric, zero only for equal texts, and transitive, over texts
  // mixing every class of character.
  const std::string alphabet = "aAbB-'1 !*(z\x01\xe9";
  std::mt19937 rng(7);
  std::vector<std::string> texts;
  for (int i = 0; i < 160; ++i) {
    std::string s;
    for (int n = static_cast<int>(rng() % 5); n > 0; --n) s += alphabet[rng() % alphabet.size()];
    texts.push_back(s);
  }
  for (const std::string& a : texts) {
    for (const std::string& b : texts) {
      const int ab = Sign(Collation().Compare(a, b));
      ASSERT_EQ(ab, -Sign(Collation().Compare(b, a))) << a << " / " << b;
      ASSERT_EQ(ab == 0, a == b) << a << " / " << b;
    }
  }
  std::sort(texts.begin(), texts.end(),
            [](const std::string& a, const std::string& b) { return Collation().Compare(a, b) < 0; });
  for (std::size_t i = 0; i + 1 < texts.size(); ++i) {
    for (std::size_t j = i + 1; j < texts.size(); ++j) {
      ASSERT_LE(Collation().Compare(texts[i], texts[j]), 0) << texts[i] << " / " << texts[j];
    }
  }
}

TEST(TreeCollation, FoldsLetterCaseAsTheSystemCodePagePairsLetters) {
  struct Case {
    unsigned codePage;
    std::string a, b;
    bool alike;
  };
  const Case cases[] = {
      {1251, "\xCF\xE8\xF1\xFC\xEC\xE0", "\xCF\xC8\xD1\xDC\xCC\xC0", true},            // Письма, ПИСЬМА
      {1251, "\xD7\xFC\xFF \xB8\xEB\xEA\xE0", "\xD7\xDC\xDF \xA8\xCB\xCA\xC0", true},  // чья ёлка, ЧЬЯ ЁЛКА
      {1252, "\xDF", "\xFF", false},                                                   // ß, ÿ
      {1252, "\xD7", "\xF7", false},                                                   // ×, ÷
      {1252, "\xC0\x9F", "\xE0\xFF", true},                                            // ÀŸ, àÿ
      {1253, "\xDC\xEB\xF6\xE1", "\xA2\xCB\xD6\xC1", true},                            // άλφα, ΆΛΦΑ
      {1250,
       "\xA3\xF3"
       "d\x9F",
       "\xA3\xD3"
       "D\x8F",
       true},                      // Łódź, ŁÓDŹ
      {1250, "\xB3", "l", false},  // ł, l
  };
  for (const Case& c : cases) {
    std::string a, b;
    platform::CodePageCollation(c.codePage).FoldCase(c.a, a);
    platform::CodePageCollation(c.codePage).FoldCase(c.b, b);
    EXPECT_EQ(a == b, c.alike) << c.codePage << ": " << c.a << " / " << c.b;
    EXPECT_EQ(a.size(), c.a.size());
  }
  EXPECT_THROW(platform::CodePageCollation(437), std::invalid_argument);
}

// ---- Sibling order ----------------------------------------------------------------------

TEST(TreeSiblingOrder, FollowsTheCollationWithEqualSubjectsInOrderOfAddition) {
  TreeModel tree(Collation());
  for (const char* s : {"c", "B", "*WinContext", "b", "1", "*Plugins", "!bang", "(paren", "b"}) {
    tree.AddChild(kNoNode, Named(s, std::string("#") + std::to_string(tree.NodeCount())));
  }
  EXPECT_THAT(ChildSubjects(tree), ElementsAre("!bang", "(paren", "*Plugins", "*WinContext", "1", "b", "b", "B", "c"));
  // The two "b" keep the order in which they came (#3 before #8).
  EXPECT_EQ(tree.Data(tree.Children(kNoNode)[5])->FullName, "#3");
  EXPECT_EQ(tree.Data(tree.Children(kNoNode)[6])->FullName, "#8");
}

TEST(TreeSiblingOrder, AddingGivesWhatAppendingAndSortingStablyGives) {
  // Many equal and case-different subjects, added in a random order, also
  // after a move and a rename have left the children out of order.
  const std::vector<std::string> pool = {"a", "A", "b", "B", "a-b", "ab", "*x", "1", "b"};
  std::mt19937 rng(42);
  TreeModel tree(Collation());
  const NodeHandle folder = tree.AddChild(kNoNode, Named("folder"));
  const NodeHandle elsewhere = tree.AddChild(kNoNode, Named("elsewhere"));
  std::vector<NodeHandle> expected;
  const auto stableSorted = [&] {
    std::stable_sort(expected.begin(), expected.end(),
                     [&](NodeHandle a, NodeHandle b) { return tree.CompareNodes(a, b) < 0; });
  };
  for (int i = 0; i < 400; ++i) {
    const NodeHandle n = tree.AddChild(folder, Named(pool[rng() % pool.size()], std::to_string(i)));
    expected.push_back(n);
    stableSorted();
    // Read now and then: the additions in between are placed together.
    if (rng() % 8 == 0) {
      ASSERT_EQ(tree.Children(folder), expected) << "after adding #" << i;
    }
    if (i == 150) {
      // A node moved in comes last; the next addition re-sorts everything.
      const NodeHandle moved = tree.AddChild(elsewhere, Named("*first"));
      tree.MoveTo(moved, folder);
      expected.push_back(moved);
      ASSERT_EQ(tree.Children(folder), expected);
    }
    if (i == 300) {
      // A rename told through NotifyChanged, likewise.
      tree.Data(expected[10])->Subject = "zzz";
      tree.NotifyChanged(expected[10]);
      ASSERT_EQ(tree.Children(folder), expected);
    }
  }
  ASSERT_EQ(tree.Children(folder), expected);
  // Children not yet placed go with their parent.
  tree.AddChild(folder, Named("late"));
  tree.Delete(folder);
  EXPECT_EQ(tree.NodeCount(), 1u);
}

TEST(TreeSiblingOrder, IsRestoredByExpandingAndBySortingOneLevel) {
  TreeModel tree(Collation());
  const NodeHandle a = tree.AddChild(kNoNode, Named("a"));
  const NodeHandle b = tree.AddChild(kNoNode, Named("b"));
  tree.AddChild(a, Named("m"));
  tree.AddChild(a, Named("x"));
  const NodeHandle inner = tree.AddChild(b, Named("c"));
  tree.AddChild(inner, Named("q"));
  tree.AddChild(b, Named("z"));
  tree.MoveTo(inner, a);  // last, unsorted: m, x, c
  EXPECT_THAT(ChildSubjects(tree, a), ElementsAre("m", "x", "c"));
  tree.Expand(a);
  EXPECT_THAT(ChildSubjects(tree, a), ElementsAre("c", "m", "x"));

  tree.Data(b)->Subject = "0";  // without NotifyChanged: only an explicit sort sees it
  tree.SortChildren(kNoNode);
  EXPECT_THAT(ChildSubjects(tree), ElementsAre("0", "a"));
  EXPECT_EQ(Outline(tree), "0[z],a[c[q],m,x]");
}

TEST(TreeSiblingOrder, KeepsSiblingLinksRightAfterInsertionsInTheMiddle) {
  TreeModel tree(Collation());
  for (const char* s : {"k", "c", "x", "a", "m", "b"}) tree.AddChild(kNoNode, Named(s));
  std::vector<std::string> forward, backward;
  for (NodeHandle n = tree.FirstChild(kNoNode); n != kNoNode; n = tree.NextSibling(n)) {
    forward.push_back(tree.Data(n)->Subject);
  }
  for (NodeHandle n = tree.LastChild(kNoNode); n != kNoNode; n = tree.PreviousSibling(n)) {
    backward.push_back(tree.Data(n)->Subject);
  }
  EXPECT_THAT(forward, ElementsAre("a", "b", "c", "k", "m", "x"));
  EXPECT_THAT(backward, ElementsAre("x", "m", "k", "c", "b", "a"));
  tree.Delete(tree.Children(kNoNode)[2]);
  EXPECT_EQ(tree.Data(tree.NextSibling(tree.Children(kNoNode)[1]))->Subject, "k");
}

// ---- Handles ----------------------------------------------------------------------------

TEST(TreeNodeHandles, OfDeletedNodesStayInvalidEvenWhenTheirSlotIsReused) {
  TreeModel tree(Collation(), 12345);
  const NodeHandle keep = tree.AddChild(kNoNode, Named("keep"));
  const NodeHandle folder = tree.AddChild(kNoNode, Named("folder"));
  const NodeHandle child = tree.AddChild(folder, Named("child"));
  tree.Delete(folder);
  EXPECT_FALSE(tree.IsValid(folder));
  EXPECT_FALSE(tree.IsValid(child));
  EXPECT_EQ(tree.Data(child), nullptr);
  EXPECT_EQ(tree.Parent(child), kNoNode);
  EXPECT_TRUE(tree.IsValid(keep));
  EXPECT_EQ(tree.NodeCount(), 1u);

  // Thousands of deletions and additions reuse slots again and again: no
  // handle ever comes back.
  std::set<NodeHandle> seen{keep, folder, child};
  std::vector<NodeHandle> gone{folder, child};
  for (int i = 0; i < 6000; ++i) {
    const NodeHandle n = tree.AddChild(kNoNode, Named("x"));
    ASSERT_GT(n, 0);
    ASSERT_TRUE(seen.insert(n).second) << "handle handed out twice at round " << i;
    tree.Delete(n);
    gone.push_back(n);
  }
  for (NodeHandle n : gone) ASSERT_FALSE(tree.IsValid(n));
  EXPECT_TRUE(tree.IsValid(keep));
}

TEST(TreeNodeHandles, OfAnotherRunOrFromNowhereAreRejected) {
  TreeModel earlier(Collation(), 0x1111);
  TreeModel now(Collation(), 0x7654321);
  std::vector<NodeHandle> old;
  for (int i = 0; i < 2000; ++i) {
    old.push_back(earlier.AddChild(kNoNode, Named("n")));
    now.AddChild(kNoNode, Named("n"));
  }
  EXPECT_EQ(std::count_if(old.begin(), old.end(), [&](NodeHandle h) { return now.IsValid(h); }), 0);

  std::mt19937 rng(99);
  int accepted = 0;
  for (int i = 0; i < 200'000; ++i) accepted += now.IsValid(static_cast<NodeHandle>(rng())) ? 1 : 0;
  EXPECT_EQ(accepted, 0);
  for (NodeHandle h : {0, -1, -5, INT32_MIN, INT32_MAX}) EXPECT_FALSE(now.IsValid(h)) << h;

  now.Clear();
  EXPECT_EQ(now.NodeCount(), 0u);
  EXPECT_EQ(now.FirstChild(kNoNode), kNoNode);
  const NodeHandle fresh = now.AddChild(kNoNode, Named("after clear"));
  EXPECT_TRUE(now.IsValid(fresh));
  EXPECT_EQ(std::count_if(old.begin(), old.end(), [&](NodeHandle h) { return now.IsValid(h); }), 0);
}

TEST(TreeNodeHandles, DifferBetweenModelsMadeWithoutAKey) {
  TreeModel first(Collation());
  TreeModel second(Collation());
  EXPECT_NE(first.AddChild(kNoNode, Named("a")), second.AddChild(kNoNode, Named("a")));
}

TEST(TreeNodeHandles, AreRefusedAsParentsAndIgnoredElsewhere) {
  TreeModel tree(Collation());
  const NodeHandle gone = tree.AddChild(kNoNode, Named("gone"));
  tree.Delete(gone);
  EXPECT_THROW(tree.AddChild(gone, Named("x")), std::invalid_argument);
  tree.Delete(gone);
  tree.MoveTo(gone, kNoNode);
  tree.Expand(gone);
  tree.SetFocused(gone);
  EXPECT_EQ(tree.Focused(), kNoNode);
  EXPECT_EQ(tree.NextVisible(gone), kNoNode);
  EXPECT_TRUE(tree.Children(gone).empty());
  EXPECT_EQ(tree.NodeCount(), 0u);
}

// ---- Structure and navigation -------------------------------------------------------------

class TreeNavigationTest : public ::testing::Test {
 protected:
  // A[A1[A1a,A1b],A2],B[B1]
  TreeNavigationTest() {
    a = tree.AddChild(kNoNode, Named("A"));
    b = tree.AddChild(kNoNode, Named("B"));
    a1 = tree.AddChild(a, Named("A1"));
    a2 = tree.AddChild(a, Named("A2"));
    a1a = tree.AddChild(a1, Named("A1a"));
    a1b = tree.AddChild(a1, Named("A1b"));
    b1 = tree.AddChild(b, Named("B1"));
  }

  std::vector<NodeHandle> Forward() const {
    std::vector<NodeHandle> seen;
    for (NodeHandle n = tree.FirstChild(kNoNode); n != kNoNode; n = tree.NextVisible(n)) seen.push_back(n);
    return seen;
  }
  std::vector<NodeHandle> Backward(NodeHandle last) const {
    std::vector<NodeHandle> seen;
    for (NodeHandle n = last; n != kNoNode; n = tree.PreviousVisible(n)) seen.push_back(n);
    return seen;
  }

  TreeModel tree{Collation()};
  NodeHandle a, b, a1, a2, a1a, a1b, b1;
};

TEST_F(TreeNavigationTest, VisitsOnlyExpandedNodesDepthFirstInBothDirections) {
  EXPECT_THAT(Forward(), ElementsAre(a, b));
  tree.Expand(a);
  EXPECT_THAT(Forward(), ElementsAre(a, a1, a2, b));
  tree.Expand(a1);
  tree.Expand(b);
  EXPECT_THAT(Forward(), ElementsAre(a, a1, a1a, a1b, a2, b, b1));
  EXPECT_THAT(Backward(b1), ElementsAre(b1, b, a2, a1b, a1a, a1, a));
  tree.Collapse(a);
  EXPECT_THAT(Backward(b1), ElementsAre(b1, b, a));
  // From a hidden node: on past its collapsed ancestor, or back to it.
  EXPECT_EQ(tree.NextVisible(a1b), b);
  EXPECT_EQ(tree.PreviousVisible(a1b), a);
  EXPECT_TRUE(tree.Expanded(a1));  // collapsing a keeps a1's own state
}

TEST_F(TreeNavigationTest, KnowsLevelsParentsAndChildren) {
  EXPECT_EQ(tree.Level(a), 0);
  EXPECT_EQ(tree.Level(a1b), 2);
  EXPECT_EQ(tree.Parent(a1b), a1);
  EXPECT_EQ(tree.Parent(a), kNoNode);
  EXPECT_EQ(tree.FirstChild(a1), a1a);
  EXPECT_EQ(tree.LastChild(a1), a1b);
  EXPECT_EQ(tree.ChildCount(kNoNode), 2u);
  EXPECT_EQ(tree.ChildCount(a1a), 0u);
  EXPECT_EQ(tree.NodeCount(), 7u);
}

TEST_F(TreeNavigationTest, MovesSubtreesButNeverBelowThemselves) {
  tree.MoveTo(a, a1a);  // refused
  EXPECT_EQ(tree.Parent(a), kNoNode);
  tree.MoveTo(a, a);  // refused
  EXPECT_EQ(tree.Parent(a), kNoNode);
  tree.MoveTo(a1, b);
  EXPECT_EQ(Outline(tree), "A[A2],B[B1,A1[A1a,A1b]]");
  EXPECT_EQ(tree.Level(a1b), 2);
  tree.MoveTo(a1, kNoNode);
  EXPECT_EQ(Outline(tree), "A[A2],B[B1],A1[A1a,A1b]");
}

TEST_F(TreeNavigationTest, ExpandsOnlyNodesWithChildren) {
  tree.Expand(a1a);
  EXPECT_FALSE(tree.Expanded(a1a));
  tree.Expand(b);
  tree.Delete(b1);
  EXPECT_FALSE(tree.Expanded(b));
  tree.Expand(a);
  tree.MoveTo(a1, b);
  tree.MoveTo(a2, b);
  EXPECT_FALSE(tree.Expanded(a));
  tree.Expand(a);
  tree.Expand(a1);
  tree.Expand(b);
  tree.CollapseAll();
  for (NodeHandle n : {a, b, a1}) EXPECT_FALSE(tree.Expanded(n));
}

// ---- Focus, selected mark and observers --------------------------------------------

class Recorder : public TreeObserver {
 public:
  std::vector<std::string> events;
  void NodeAdded(NodeHandle parent, NodeHandle node) override { Log("added", node, parent); }
  void NodeRemoving(NodeHandle node) override { Log("removing", node); }
  void NodeMoved(NodeHandle node, NodeHandle oldParent) override { Log("moved", node, oldParent); }
  void ChildrenReordered(NodeHandle parent) override { Log("reordered", parent); }
  void NodeChanged(NodeHandle node) override { Log("changed", node); }
  void ExpansionChanged(NodeHandle node, bool expanded) override { Log(expanded ? "expanded" : "collapsed", node); }
  void FocusMoved(NodeHandle oldNode, NodeHandle newNode) override { Log("focus", newNode, oldNode); }
  void SelectionChanged(NodeHandle node, bool selected) override { Log(selected ? "selected" : "unselected", node); }
  void Cleared() override { events.push_back("cleared"); }

  std::function<std::string(NodeHandle)> name;

 private:
  void Log(const std::string& what, NodeHandle node, NodeHandle other = -1) {
    std::string line = what + " " + name(node);
    if (other != -1) line += " " + name(other);
    events.push_back(line);
  }
};

class TreeFocusTest : public TreeNavigationTest {
 protected:
  TreeFocusTest() {
    recorder.name = [this](NodeHandle n) {
      const TNodeData* d = tree.Data(n);
      return n == kNoNode ? std::string("-") : d != nullptr ? d->Subject : std::string("?");
    };
    tree.AddObserver(&recorder);
    tree.SetFocusChanging([this](NodeHandle o, NodeHandle n) {
      calls.push_back("changing " + recorder.name(o) + " " + recorder.name(n) + " focused " +
                      recorder.name(tree.Focused()));
    });
    tree.SetFocusChanged([this](NodeHandle n) {
      calls.push_back("changed " + recorder.name(n) + " focused " + recorder.name(tree.Focused()));
    });
  }
  Recorder recorder;
  std::vector<std::string> calls;
};

TEST_F(TreeFocusTest, CallsChangingBeforeAndChangedAfterOnlyForARealMove) {
  tree.SetFocused(a);
  tree.SetFocused(a);  // the same node: nothing
  tree.SetFocused(b);
  EXPECT_THAT(calls, ElementsAre("changing - A focused -", "changed A focused A", "changing A B focused A",
                                 "changed B focused B"));
  calls.clear();
  tree.SetFocusChanging({});
  tree.SetFocusChanged({});
  tree.SetFocused(a);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(tree.Focused(), a);
}

TEST_F(TreeFocusTest, OnAHiddenNodeExpandsItsAncestors) {
  tree.SetFocused(a1b);
  EXPECT_TRUE(tree.Expanded(a));
  EXPECT_TRUE(tree.Expanded(a1));
  EXPECT_FALSE(tree.Expanded(b));
  EXPECT_THAT(recorder.events, ElementsAre("expanded A", "expanded A1", "focus A1b -"));
}

TEST_F(TreeFocusTest, LeavesADeletedNodeWithoutCallingTheHandlers) {
  tree.SetFocused(a1a);
  calls.clear();
  recorder.events.clear();
  tree.Delete(a1);
  EXPECT_EQ(tree.Focused(), kNoNode);
  EXPECT_TRUE(calls.empty());
  EXPECT_THAT(recorder.events, ElementsAre("removing A1", "focus - ?"));
}

TEST_F(TreeFocusTest, MarksSelectedNodesAndTellsObserversOfEveryChange) {
  tree.SetSelected(b, true);
  tree.SetSelected(b, true);
  EXPECT_TRUE(tree.Selected(b));
  EXPECT_FALSE(tree.Selected(a));
  tree.SetSelected(b, false);
  const NodeHandle c = tree.AddChild(b, Named("B0"));
  tree.MoveTo(a2, b);
  tree.Data(c)->Caption = "x";
  tree.NotifyChanged(c);
  tree.SetMarks(a2, 3, true);
  tree.Expand(b);
  tree.Clear();
  EXPECT_THAT(recorder.events, ElementsAre("selected B", "unselected B", "added B0 B", "moved A2 A", "changed B0",
                                           "changed A2", "expanded B", "reordered B", "cleared"));
  tree.RemoveObserver(&recorder);
  tree.AddChild(kNoNode, Named("quiet"));
  EXPECT_EQ(recorder.events.size(), 9u);
}

}  // namespace
}  // namespace tembric::tree
