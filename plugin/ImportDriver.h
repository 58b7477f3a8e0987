#pragma once

#include "plugin/HostInterfaces.h"

namespace Plugin
{

// Imports every path of the host's enumerator, in its order, into the sink. A file that cannot
// be opened or is malformed is reported and the loop goes on; any other error ends the import
// and leaves this function with nothing of the current file left behind.
void ImportFiles(IPathEnumerator& paths, IImportSink& sink, const bool* considerPrismConstant);

// One file: BeginFile, read it whole, parse and import it, progress 100.
void ImportFile(const WideString& path, IImportSink& sink, const bool* considerPrismConstant);

} // namespace Plugin
