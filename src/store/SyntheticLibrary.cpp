#include "store/SyntheticLibrary.h"

#include <algorithm>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "store/Tables.h"

namespace tembric::store {
namespace {

constexpr const char* kWords[] = {
    "account", "address", "agenda",  "answer",   "archive",   "budget",  "client",  "contract", "delivery", "draft",
    "invoice", "letter",  "meeting", "minutes",  "notes",     "offer",   "order",   "payment",  "project",  "quote",
    "reply",   "report",  "review",  "request",  "schedule",  "summary", "support", "template", "thanks",   "ticket",
    "update",  "welcome", "weekly",  "reminder", "follow-up", "refund",  "travel",  "contact",  "status",   "signature",
};
constexpr const char* kFolderWords[] = {"Mail",      "Work",    "Clients",  "Projects", "Snippets", "Code",
                                        "Templates", "Replies", "Personal", "Archive",  "Legal",    "Support",
                                        "Sales",     "Forms",   "Links",    "Drafts",   "Team",     "Finance"};
constexpr const char* kHotkeyKeys[] = {"A", "B", "C", "D", "E", "F", "G",  "H",  "J",  "K",  "L",  "M",
                                       "N", "P", "Q", "R", "S", "T", "F2", "F3", "F5", "F7", "F8", "F9"};
constexpr const char* kHotkeyMods[] = {"Ctrl+Alt+", "Ctrl+Shift+", "Alt+Shift+", "Ctrl+Alt+Shift+"};

class Generator {
 public:
  explicit Generator(std::uint32_t seed) : rng_(seed) {}

  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
  bool Chance(int percent) { return Uniform(0, 99) < percent; }
  template <typename T, std::size_t N>
  const char* Pick(const T (&list)[N]) {
    return list[static_cast<std::size_t>(Uniform(0, static_cast<int>(N) - 1))];
  }

  std::string Subject() {
    std::string s = Pick(kWords);
    s[0] = static_cast<char>(s[0] - 'a' + 'A');
    for (int i = Uniform(0, 2); i > 0; --i) s += std::string(" ") + Pick(kWords);
    return s;
  }

  // Mostly a few lines; now and then a long text.
  std::string Memo() {
    const int roll = Uniform(0, 99);
    const int length = roll < 50   ? Uniform(10, 90)
                       : roll < 88 ? Uniform(90, 300)
                       : roll < 98 ? Uniform(300, 1000)
                                   : Uniform(1000, 4000);
    std::string text = "Hello,\r\n";
    while (static_cast<int>(text.size()) < length) {
      text += Pick(kWords);
      text += Chance(12) ? ".\r\n" : " ";
    }
    text.resize(static_cast<std::size_t>(length));
    return text;
  }

  std::string FilePath(const char* extension) {
    return std::string("C:\\Users\\Public\\Documents\\") + Pick(kFolderWords) + "\\" + Pick(kWords) + "-" +
           std::to_string(Uniform(1, 9999)) + extension;
  }

  Bytes Snapshot() {
    Bytes bytes(static_cast<std::size_t>(Uniform(60, 600)));
    for (auto& b : bytes) b = static_cast<std::uint8_t>(Uniform(0, 255));
    return bytes;
  }

  std::mt19937& Engine() { return rng_; }

 private:
  std::mt19937 rng_;
};

struct Folder {
  std::string fullName;
  int depth;
};

class Builder {
 public:
  Builder(DataTable& records, std::uint32_t seed) : records_(records), gen_(seed) {
    checkTable_ = !records.IsEmpty() || records.HasRange();
  }

  void Add(std::size_t n) {
    std::size_t made = 0;
    while (made < n) {
      const Folder& folder = NewFolder();
      ++made;
      const std::string category = folder.fullName;
      for (int k = gen_.Uniform(12, 28); k > 0 && made < n; --k, ++made) NewRecord(category);
    }
  }

 private:
  const Folder& NewFolder() {
    std::string parent;
    int depth = 1;
    if (!folders_.empty() && !gen_.Chance(20)) {
      const Folder& p = folders_[static_cast<std::size_t>(gen_.Uniform(0, static_cast<int>(folders_.size()) - 1))];
      if (p.depth < 4) {
        parent = p.fullName;
        depth = p.depth + 1;
      }
    }
    const std::string subject = std::string(gen_.Pick(kFolderWords)) + " " + std::to_string(++counter_);
    Begin(subject, parent, RecordType::Folder);
    records_.Set("Memo", Value());
    End();
    folders_.push_back({MakeFullName(parent, subject), depth});
    return folders_.back();
  }

  void NewRecord(const std::string& category) {
    const int roll = gen_.Uniform(0, 99);
    const RecordType type = roll < 72   ? RecordType::Text
                            : roll < 82 ? RecordType::Image
                            : roll < 88 ? RecordType::TextFileLink
                            : roll < 93 ? RecordType::ImageFileLink
                            : roll < 98 ? RecordType::ClipboardInBlob
                                        : RecordType::ClipboardInRow;
    Begin(gen_.Subject() + " " + std::to_string(++counter_), category, type);
    switch (type) {
      case RecordType::Text:
        records_.Set("Memo", gen_.Memo());
        break;
      case RecordType::Image:
      case RecordType::ClipboardInBlob: {
        const std::int64_t size = gen_.Uniform(2'000, 400'000);
        records_.Set("FilePosition", blobEnd_);
        records_.Set("Size", size);
        blobEnd_ += size;
        break;
      }
      case RecordType::TextFileLink:
        records_.Set("FileName", gen_.FilePath(".txt"));
        break;
      case RecordType::ImageFileLink:
        records_.Set("FileName", gen_.FilePath(".jpg"));
        break;
      case RecordType::ClipboardInRow:
        records_.Set("Blob", Value::Blob(gen_.Snapshot()));
        break;
      default:
        break;
    }
    if (gen_.Chance(6)) {
      const std::string keys = std::string(gen_.Pick(kWords)).substr(0, 3) + std::to_string(gen_.Uniform(1, 99));
      records_.Set("KeyDisplay", keys);
      std::string upper = keys;
      for (char& c : upper) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
      records_.Set("KeyString", upper);
    }
    if (gen_.Chance(3)) records_.Set("ShortCut", std::string(gen_.Pick(kHotkeyMods)) + gen_.Pick(kHotkeyKeys));
    if (gen_.Chance(5)) records_.Set("ContextEnabled", Value::Boolean(true));
    End();
  }

  // A new row with what the record dialog stores for every record.
  void Begin(const std::string& subject, const std::string& category, RecordType type) {
    records_.Append();
    records_.Set("Subject", subject);
    records_.Set("Category", category);
    records_.Set("FullName", MakeFullName(category, subject));
    records_.Set("Type", static_cast<std::int16_t>(type));
    records_.Set("Node", gen_.Uniform(1, 1 << 30));
    records_.Set("KeyString", "");
    records_.Set("KeyDisplay", "");
    records_.Set("ShortCut", "");
    records_.Set("FileName", "");
    records_.Set("ContextEnabled", Value::Boolean(false));
    records_.Set("ID", NewId());
  }

  void End() { records_.Post(); }

  std::int32_t NewId() {
    while (true) {
      const std::int32_t id = std::uniform_int_distribution<std::int32_t>(0, kMaxRecordId)(gen_.Engine());
      if (used_.count(id) != 0) continue;
      if (checkTable_ && records_.ContainsValue("ID", Value(id))) continue;
      used_.insert(id);
      return id;
    }
  }

  DataTable& records_;
  Generator gen_;
  bool checkTable_ = false;
  std::vector<Folder> folders_;
  std::unordered_set<std::int32_t> used_;
  std::int64_t blobEnd_ = 0;
  int counter_ = 0;
};

}  // namespace

void AddSyntheticRecords(DataTable& records, std::size_t n, std::uint32_t seed) { Builder(records, seed).Add(n); }

void AddSyntheticContexts(Library& library, std::size_t windows, std::size_t relations,
                          const std::string& firstApplication, std::uint32_t seed) {
  if (windows == 0 && relations == 0) return;
  std::vector<std::int32_t> ids, enabled;
  DataTable& records = library.records;
  for (records.First(); !records.Eof(); records.Next()) {
    if (records.IsNull("ID")) continue;
    ids.push_back(static_cast<std::int32_t>(records.AsInteger("ID")));
    if (records.AsBoolean("ContextEnabled")) enabled.push_back(ids.back());
  }
  if (ids.empty() || windows == 0) throw TableError("contexts need records and windows rows to tie them to");
  if (enabled.empty()) enabled = ids;

  DataTable& table = library.windows;
  std::int32_t nextId = 1;
  for (table.First(); !table.Eof(); table.Next())
    nextId = std::max(nextId, static_cast<std::int32_t>(table.AsInteger("ID")) + 1);
  if (nextId + static_cast<std::int64_t>(windows) - 1 > kMaxWindowId) throw TableError("no room for window IDs");
  const std::int32_t firstId = nextId;
  constexpr std::size_t kRowsPerApplication = 100;
  for (std::size_t row = 0; row < windows; ++row) {
    const std::size_t application = row / kRowsPerApplication, kind = row % kRowsPerApplication;
    table.Append();
    table.Set("FileName", application == 0 ? firstApplication : "Application " + std::to_string(application + 1));
    if (kind == 0) {
      table.Set("WinTitle", "(Whole application)");
      table.Set("WinType", 0);
    } else if (kind < 70) {
      table.Set("WinTitle", "Document " + std::to_string(kind) + ".txt - Editor");
      table.Set("WinType", 1);
    } else {
      table.Set("WinTitle", std::string(1, '*').append(std::to_string(kind - 70)).append("*.txt - Editor"));
      table.Set("WinType", 3);
    }
    table.Set("ID", nextId++);
    table.Post();
  }

  Generator gen(seed);
  for (std::size_t link = 0; link < relations; ++link) {
    const std::size_t row = link % windows;
    const std::vector<std::int32_t>& pool = row == 0 ? enabled : ids;
    library.relations.Append();
    library.relations.Set("ID", pool[static_cast<std::size_t>(gen.Uniform(0, static_cast<int>(pool.size()) - 1))]);
    library.relations.Set("WinID", firstId + static_cast<std::int32_t>(row));
    library.relations.Post();
  }
}

}  // namespace tembric::store
