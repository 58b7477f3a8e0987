#pragma once

#include "plugin/HostInterfaces.h"

namespace Plugin
{

// Imports every path of the host's enumerator, in its order, into the sink. A file that cannot
// be opened or is malformed is reported, and so is a file whose import failed for any other
// reason of the plug-in's own (a std::exception: out of memory, a text that cannot be converted
// or loaded): SetFileResult(-1), ReportError with the system's text for the error, progress 100.
// Either way the loop goes on with the next path. Anything else that leaves a host call (the
// host's own exception) passes through unchanged, after the file's state has been released. A
// host that shares the plug-in's C++ runtime and throws a std::exception from a callback has that
// exception taken as the plug-in's: the two cannot be told apart there.
void ImportFiles(IPathEnumerator& paths, IImportSink& sink, const bool* considerPrismConstant);

// One path of the host's list: BeginFile, read the file whole, parse and import it, progress 100.
void ImportFile(const WideChar* path, IImportSink& sink, const bool* considerPrismConstant);

} // namespace Plugin
