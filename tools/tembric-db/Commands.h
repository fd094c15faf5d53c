#pragma once
// The commands of tembric-db, a command-line tool over a library folder
// (tembric.db, win.db, rel.db). Each returns the process exit code and writes
// its output to `out`, its complaints to `err`.

#include <iosfwd>
#include <string>
#include <vector>

namespace tembric::tool {

using Args = std::vector<std::string>;

int Create(const Args& args, std::ostream& out, std::ostream& err);
int List(const Args& args, std::ostream& out, std::ostream& err);
int Dump(const Args& args, std::ostream& out, std::ostream& err);
int Add(const Args& args, std::ostream& out, std::ostream& err);
int Generate(const Args& args, std::ostream& out, std::ostream& err);
int Check(const Args& args, std::ostream& out, std::ostream& err);

// Runs the command named by args[0]; prints usage for an unknown one.
int Run(const Args& args, std::ostream& out, std::ostream& err);

}  // namespace tembric::tool
