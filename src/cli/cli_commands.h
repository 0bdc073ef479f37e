#pragma once
// The kvzt-cli commands. Each takes the arguments after its name and returns
// the exit code: 0 success, 1 a failed check, 2 bad usage or an engine error
// (raised as exceptions and turned into messages by main).

#include <string>
#include <vector>

namespace kvzt::cli {

using Arguments = std::vector<std::string>;

int runInfo(const Arguments& args);     // info TABLE
int runDump(const Arguments& args);     // dump TABLE [--tag TAG] [--deleted]
int runVerify(const Arguments& args);   // verify TABLE
int runReindex(const Arguments& args);  // reindex TABLE | --group G
int runPack(const Arguments& args);     // pack TABLE | --group G
int runCheck(const Arguments& args);    // check [--refbooks DIR]
int runClear(const Arguments& args);    // clear --income | --income-and-list
int runKladr(const Arguments& args);    // kladr import DIR --regions R [--no-streets] | kladr delete --regions R
int runImport(const Arguments& args);   // import --kind 2|3 DIR [--empty-target] [--imp-dir DIR]
int runRepair(const Arguments& args);   // repair TABLE
int runInclude(const Arguments& args);  // include --list | --income --kind 2|3 --source DIR; [--mark з|д]

}  // namespace kvzt::cli
