#pragma once

// One run of the reference host: it loads the plug-in library, imports the files as one import
// with the recording host and writes what the options ask for: the record of the calls (text or
// JSON lines) or each file's summary with its checks, and the plan. The command line only fills
// the options.

#include <ostream>
#include <string>
#include <vector>

namespace Probe
{

enum ExitStatus
{
    ExitImported = 0,    // no file reported an error
    ExitFileErrors = 1,  // a file reported an error, or an error raised by the plug-in ended it
    ExitUsage = 2,       // bad command line, or an output file that cannot be written
    ExitLibrary = 3,     // the library cannot be loaded, has no CreatePlugin, or gave no object
    ExitHostContract = 4 // the plug-in left host objects with references or released one too often
};

struct Options
{
    std::vector<std::string> files; // as the command line names them, in import order
    std::string format = "text";    // "text" or "jsonl"
    std::string pluginPath;         // the library to load (UTF-8)
    std::string relativeTo;         // the folder written "<dir>" in every text; empty for none
    std::string outputPath;         // empty: the output goes to standardOutput
    std::string planPath;           // empty: no plan
    bool summary = false;
    bool verbose = false;
    bool noPrismConstant = false;
    double toleranceSeconds = 60;
};

// Returns the exit status. Messages for the user (what failed, and with verbose the library
// loaded) go to messages.
int Run(const Options& options, std::ostream& standardOutput, std::ostream& messages);

} // namespace Probe
