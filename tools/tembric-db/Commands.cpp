#include "Commands.h"

#include <charconv>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>

#include "context/ContextStore.h"
#include "editing/ContextList.h"
#include "platform/Clipboard.h"
#include "platform/FileSystem.h"
#include "store/BlobFile.h"
#include "store/ClipboardSnapshot.h"
#include "store/SyntheticLibrary.h"
#include "store/Tables.h"

namespace tembric::tool {
namespace {

using platform::JoinPath;
using platform::RealFileSystem;
using store::DataTable;
using store::Value;

constexpr const char* kUsage =
    "usage: tembric-db COMMAND FOLDER [options]\n"
    "  create FOLDER                 create empty tembric.db, win.db and rel.db (never over existing ones)\n"
    "  list FOLDER [TABLE]           one line per row (TABLE: records (default), windows, relations)\n"
    "  dump FOLDER [TABLE]           every field of every row, as text that keeps nulls and bytes\n"
    "  add FOLDER PATH [options]     add a record at PATH (\\Folder\\Name), creating missing folders\n"
    "      --type text|folder|image|plugin|textlink|imagelink|clipboard|clipboard-in-row|N   (default text)\n"
    "      --memo TEXT  --file-name PATH  --shortcut TEXT  --keydisplay TEXT  --keystring TEXT\n"
    "      --context-enabled     offer the record only where one of its contexts fits\n"
    "      --context-app APPLICATION          tie it to the whole application (repeatable)\n"
    "      --context-title APPLICATION TITLE  tie it to that window title of the application (repeatable)\n"
    "      --content-file FILE   the bytes of FILE as the record's content: appended to FOLDER\\data.tmd for\n"
    "                            image (a BMP file) and clipboard (a snapshot), into the Blob field otherwise\n"
    "      --capture-clipboard   the clipboard as it is now (clipboard, clipboard-in-row; Windows only)\n"
    "  generate FOLDER N [--seed S]  add N synthetic records (for benchmarks and tests)\n"
    "      --windows W --relations R  and W windows rows (applications of 100 contexts each) and R relations\n"
    "      --application NAME         the first application's name (default \"Application 1\"); the records\n"
    "                                 tied to its whole application have context dependence on\n"
    "  check FOLDER                  load every table and report its rows\n";

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The whole clipboard in the snapshot encoding.
store::Bytes CaptureSystemClipboard() {
#ifdef _WIN32
  platform::Clipboard& clipboard = platform::RealClipboard();
  const platform::ClipboardOpen open(clipboard, platform::kNoWindow);
  if (!open) throw store::ClipboardOpenError();
  store::Bytes bytes;
  store::VectorSink sink(bytes);
  store::CaptureClipboard(clipboard, sink);
  return bytes;
#else
  throw UsageError("--capture-clipboard needs the Windows build");
#endif
}

struct Table {
  const char* name;
  const char* file;
  store::TableSchema (*schema)();
};

constexpr Table kTables[] = {
    {"records", store::kRecordsFile, store::RecordsSchema},
    {"windows", store::kWindowsFile, store::WindowsSchema},
    {"relations", store::kRelationsFile, store::RelationsSchema},
};

const Table& TableNamed(const std::string& name) {
  for (const Table& t : kTables)
    if (name == t.name) return t;
  throw UsageError("unknown table \"" + name + "\" (records, windows or relations)");
}

// Opens one table of the folder; a missing file gives an empty table. Never
// writes: an unreadable file stops the command with the loader's reason.
void OpenTable(DataTable& table, const std::string& folder, const char* file) {
  table.SetFileName(JoinPath(folder, file));
  table.Open(RealFileSystem());
}

// Commands that write the tables hold the library's lock while they run. A
// running Tembric holds it too, and would write its own copy of the records
// over the changes when it shuts down.
std::unique_ptr<platform::ExclusiveFile> LockForWriting(const std::string& folder) {
  auto lock = store::LockLibrary(RealFileSystem(), folder);
  if (!lock)
    throw std::runtime_error("Tembric is running with the library in " + folder +
                             " and would write over these changes when it shuts down; shut Tembric down first");
  // The copy an unfinished save left may be the newest data; Tembric's start
  // recovers it, a save from here would write over it.
  for (const Table& t : kTables) {
    const std::string saving = platform::TemporaryPathFor(JoinPath(folder, t.file));
    if (RealFileSystem().Exists(saving))
      throw std::runtime_error(saving +
                               " is left from a save that did not finish; start Tembric once, so that it "
                               "recovers the library, before changing it here");
  }
  return lock;
}

std::string Escaped(std::string_view text) {
  std::string out = "\"";
  for (const unsigned char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || c == 0x7f) {
          char hex[5];
          std::snprintf(hex, sizeof hex, "\\x%02X", c);
          out += hex;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string Shown(const Value& v) {
  if (v.IsNull()) return "null";
  if (v.IsText()) return Escaped(v.Text());
  if (v.IsInteger()) return std::to_string(v.Integer());
  if (v.IsBoolean()) return v.Bool() ? "true" : "false";
  std::string hex = "0x";
  for (const std::uint8_t b : v.Blob()) {
    char two[3];
    std::snprintf(two, sizeof two, "%02X", b);
    hex += two;
  }
  return hex;
}

std::string TypeName(std::int64_t type) {
  switch (static_cast<store::RecordType>(type)) {
    case store::RecordType::Creating:
      return "creating";
    case store::RecordType::Text:
      return "text";
    case store::RecordType::Folder:
      return "folder";
    case store::RecordType::Image:
      return "image";
    case store::RecordType::Plugin:
      return "plugin";
    case store::RecordType::TextFileLink:
      return "textlink";
    case store::RecordType::ImageFileLink:
      return "imagelink";
    case store::RecordType::ClipboardInRow:
      return "clipboard-in-row";
    case store::RecordType::ClipboardInBlob:
      return "clipboard";
  }
  return std::to_string(type);
}

std::int16_t ParseType(const std::string& text) {
  static const std::map<std::string, store::RecordType> names = {
      {"text", store::RecordType::Text},
      {"folder", store::RecordType::Folder},
      {"image", store::RecordType::Image},
      {"plugin", store::RecordType::Plugin},
      {"textlink", store::RecordType::TextFileLink},
      {"imagelink", store::RecordType::ImageFileLink},
      {"clipboard", store::RecordType::ClipboardInBlob},
      {"clipboard-in-row", store::RecordType::ClipboardInRow},
  };
  if (const auto it = names.find(text); it != names.end()) return static_cast<std::int16_t>(it->second);
  int n = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (ec != std::errc() || end != text.data() + text.size() || n < -32768 || n > 32767)
    throw UsageError("unknown record type \"" + text + "\"");
  return static_cast<std::int16_t>(n);
}

std::size_t ParseCount(const std::string& text, const char* what) {
  std::size_t n = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (ec != std::errc() || end != text.data() + text.size()) throw UsageError(std::string("bad ") + what + ": " + text);
  return n;
}

void NeedArgs(const Args& args, std::size_t n) {
  if (args.size() < n) throw UsageError("missing arguments");
}

// Adds a folder row for `path` and for every missing folder above it.
void EnsureFolder(DataTable& records, const std::string& path) {
  if (path.empty() || records.FindKey(std::vector<Value>{Value(path)})) return;
  const auto cut = path.find_last_of('\\');
  const std::string category = cut == std::string::npos ? std::string() : path.substr(0, cut);
  EnsureFolder(records, category);
  records.Append();
  records.Set("Subject", Value(path.substr(cut + 1)));
  records.Set("Category", Value(category));
  records.Set("Type", Value(static_cast<int>(store::RecordType::Folder)));
  records.Set("FullName", Value(path));
  records.Set("ID", Value(store::DrawRecordId(records, store::ClockSeededRandom())));
  records.Set("ContextEnabled", Value::Boolean(false));
  records.Post();
}

}  // namespace

int Create(const Args& args, std::ostream& out, std::ostream&) {
  NeedArgs(args, 2);
  const std::string& folder = args[1];
  const auto lock = LockForWriting(folder);
  for (const Table& t : kTables) {
    const std::string path = JoinPath(folder, t.file);
    if (RealFileSystem().Exists(path)) {
      out << path << " exists; left as it is\n";
      continue;
    }
    DataTable table(t.schema());
    table.SetFileName(path);
    table.CreateEmpty();
    table.Save(RealFileSystem());
    out << "created " << path << "\n";
  }
  return 0;
}

int List(const Args& args, std::ostream& out, std::ostream&) {
  NeedArgs(args, 2);
  const Table& t = TableNamed(args.size() > 2 ? args[2] : "records");
  DataTable table(t.schema());
  OpenTable(table, args[1], t.file);
  for (table.First(); !table.Eof(); table.Next()) {
    if (std::string(t.name) == "records") {
      out << table.AsString("FullName") << '\t' << TypeName(table.AsInteger("Type"));
      if (!table.AsString("KeyDisplay").empty()) out << "\t=" << table.AsString("KeyDisplay");
      if (!table.AsString("ShortCut").empty()) out << '\t' << table.AsString("ShortCut");
    } else if (std::string(t.name) == "windows") {
      out << table.AsString("ID") << '\t' << table.AsString("WinType") << '\t' << table.AsString("FileName") << '\t'
          << table.AsString("WinTitle");
    } else {
      out << table.AsString("ID") << '\t' << table.AsString("WinID");
    }
    out << '\n';
  }
  return 0;
}

int Dump(const Args& args, std::ostream& out, std::ostream&) {
  NeedArgs(args, 2);
  const Table& t = TableNamed(args.size() > 2 ? args[2] : "records");
  DataTable table(t.schema());
  OpenTable(table, args[1], t.file);
  // Rows in order of addition, so that a dump of an unchanged table is stable.
  table.SetIndexFieldNames("");
  out << "# " << table.FileName() << ": " << table.RecordCount() << " rows\n";
  std::size_t row = 0;
  for (table.First(); !table.Eof(); table.Next()) {
    out << "[" << ++row << "]\n";
    for (const store::FieldDef& f : table.Schema().fields) out << f.name << " = " << Shown(table.Get(f.name)) << '\n';
  }
  return 0;
}

int Add(const Args& args, std::ostream& out, std::ostream&) {
  NeedArgs(args, 3);
  const std::string& folder = args[1];
  const std::string& path = args[2];
  const auto cut = path.find_last_of('\\');
  if (path.empty() || path[0] != '\\' || cut == std::string::npos || cut + 1 == path.size())
    throw UsageError("a record path looks like \\Name or \\Folder\\Name");
  const auto lock = LockForWriting(folder);
  const std::string category = path.substr(0, cut);
  const std::string subject = path.substr(cut + 1);
  if (subject.find('=') != std::string::npos) throw UsageError("a record name must not contain \"=\"");

  std::map<std::string, std::string> options;
  std::vector<context::TWinDescriptor> contexts;
  bool contextEnabled = false;
  bool captureClipboard = false;
  for (std::size_t i = 3; i < args.size(); ++i) {
    if (args[i] == "--context-enabled") {
      contextEnabled = true;
      continue;
    }
    if (args[i] == "--capture-clipboard") {
      captureClipboard = true;
      continue;
    }
    if (args[i] == "--context-app" || args[i] == "--context-title") {
      const bool title = args[i] == "--context-title";
      if (i + (title ? 2 : 1) >= args.size())
        throw UsageError(args[i] + " needs " + (title ? "APPLICATION TITLE" : "APPLICATION"));
      context::TWinDescriptor d;
      d.FileName = args[++i];
      d.WinTitle = title ? args[++i] : editing::kWholeApplicationText;
      d.WinType = title ? editing::kContextTitle : editing::kContextApplication;
      contexts.push_back(std::move(d));
      continue;
    }
    if (args[i].rfind("--", 0) != 0 || i + 1 >= args.size()) throw UsageError("bad option " + args[i]);
    options[args[i].substr(2)] = args[i + 1];
    ++i;
  }
  const std::int16_t type = ParseType(options.count("type") ? options["type"] : "text");
  const bool inBlobFile = type == static_cast<std::int16_t>(store::RecordType::Image) ||
                          type == static_cast<std::int16_t>(store::RecordType::ClipboardInBlob);
  const bool isSnapshot = type == static_cast<std::int16_t>(store::RecordType::ClipboardInBlob) ||
                          type == static_cast<std::int16_t>(store::RecordType::ClipboardInRow);
  std::optional<store::Bytes> content;
  if (const auto it = options.find("content-file"); it != options.end()) {
    content = RealFileSystem().ReadAll(it->second);
    options.erase(it);
  }
  if (captureClipboard && (!isSnapshot || content))
    throw UsageError("--capture-clipboard goes with --type clipboard or clipboard-in-row, without --content-file");
  if (captureClipboard) content = CaptureSystemClipboard();

  store::Library library;
  DataTable& records = library.records;
  OpenTable(records, folder, store::kRecordsFile);
  if (!contexts.empty()) {
    // Read before anything is written: an unreadable table stops the command.
    OpenTable(library.windows, folder, store::kWindowsFile);
    OpenTable(library.relations, folder, store::kRelationsFile);
  }
  if (records.FindKey(std::vector<Value>{Value(store::MakeFullName(category, subject))}))
    throw UsageError("a record " + path + " already exists");
  EnsureFolder(records, category);

  records.Append();
  records.Set("Subject", Value(subject));
  records.Set("Category", Value(category));
  records.Set("Type", Value(type));
  records.Set("FullName", Value(store::MakeFullName(category, subject)));
  const std::int32_t id = store::DrawRecordId(records, store::ClockSeededRandom());
  records.Set("ID", Value(id));
  records.Set("ContextEnabled", Value::Boolean(contextEnabled));
  const std::pair<const char*, const char*> fields[] = {{"memo", "Memo"},
                                                        {"file-name", "FileName"},
                                                        {"shortcut", "ShortCut"},
                                                        {"keydisplay", "KeyDisplay"},
                                                        {"keystring", "KeyString"}};
  for (const auto& [option, field] : fields) {
    if (const auto it = options.find(option); it != options.end()) {
      records.Set(field, Value(it->second));
      options.erase(it);
    }
  }
  options.erase("type");
  if (!options.empty()) {
    records.Cancel();
    throw UsageError("unknown option --" + options.begin()->first);
  }
  if (content && inBlobFile) {
    // The blob file first: a failure there leaves the table unsaved.
    const store::BlobFile blob = store::BlobFile::InFolder(RealFileSystem(), folder);
    store::CreateBlobFileIfMissing(blob);
    const store::BlobExtent extent = store::AppendToBlobFile(blob, *content);
    records.Set("FilePosition", Value(extent.filePosition));
    records.Set("Size", Value(extent.size));
  } else if (content) {
    records.Set("Blob", Value::Blob(*content));
  }
  records.Post();
  records.Save(RealFileSystem());
  if (!contexts.empty())
    context::ContextStore(library, RealFileSystem(), store::ClockSeededRandom()).SaveContexts(id, contexts);
  out << "added " << path << " (" << TypeName(type) << ")";
  if (!contexts.empty()) out << " with " << contexts.size() << (contexts.size() == 1 ? " context" : " contexts");
  out << "\n";
  return 0;
}

int Generate(const Args& args, std::ostream& out, std::ostream&) {
  NeedArgs(args, 3);
  const std::size_t n = ParseCount(args[2], "count");
  const auto lock = LockForWriting(args[1]);
  std::uint32_t seed = 1;
  std::size_t windows = 0, relations = 0;
  std::string application = "Application 1";
  for (std::size_t i = 3; i < args.size(); ++i) {
    if (args[i] == "--seed" && i + 1 < args.size()) {
      seed = static_cast<std::uint32_t>(ParseCount(args[++i], "seed"));
    } else if (args[i] == "--windows" && i + 1 < args.size()) {
      windows = ParseCount(args[++i], "number of windows rows");
    } else if (args[i] == "--relations" && i + 1 < args.size()) {
      relations = ParseCount(args[++i], "number of relations");
    } else if (args[i] == "--application" && i + 1 < args.size()) {
      application = args[++i];
    } else {
      throw UsageError("bad option " + args[i]);
    }
  }
  if (relations > 0 && windows == 0) throw UsageError("--relations needs --windows");
  store::Library library;
  DataTable& records = library.records;
  OpenTable(records, args[1], store::kRecordsFile);
  if (windows > 0) {
    OpenTable(library.windows, args[1], store::kWindowsFile);
    OpenTable(library.relations, args[1], store::kRelationsFile);
  }
  const std::size_t before = records.RecordCount();
  store::AddSyntheticRecords(records, n, seed);
  store::AddSyntheticContexts(library, windows, relations, application, seed);
  records.Save(RealFileSystem());
  out << "generated " << records.RecordCount() - before << " records in " << records.FileName() << "\n";
  if (windows > 0) {
    library.windows.Save(RealFileSystem());
    library.relations.Save(RealFileSystem());
    out << "generated " << windows << " windows rows and " << relations << " relations\n";
  }
  return 0;
}

int Check(const Args& args, std::ostream& out, std::ostream& err) {
  NeedArgs(args, 2);
  int status = 0;
  for (const Table& t : kTables) {
    DataTable table(t.schema());
    try {
      OpenTable(table, args[1], t.file);
      out << table.FileName() << ": " << table.RecordCount() << " rows\n";
    } catch (const std::exception& e) {
      err << e.what() << '\n';
      status = 1;
    }
  }
  return status;
}

int Run(const Args& args, std::ostream& out, std::ostream& err) {
  static const std::map<std::string, int (*)(const Args&, std::ostream&, std::ostream&)> commands = {
      {"create", Create}, {"list", List}, {"dump", Dump}, {"add", Add}, {"generate", Generate}, {"check", Check},
  };
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    out << kUsage;
    return args.empty() ? 2 : 0;
  }
  const auto it = commands.find(args[0]);
  if (it == commands.end()) {
    err << "tembric-db: unknown command \"" << args[0] << "\"\n" << kUsage;
    return 2;
  }
  try {
    return it->second(args, out, err);
  } catch (const UsageError& e) {
    err << "tembric-db: " << e.what() << "\n" << kUsage;
    return 2;
  } catch (const std::exception& e) {
    err << "tembric-db: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace tembric::tool
