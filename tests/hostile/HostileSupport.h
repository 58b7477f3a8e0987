#pragma once

// Helpers shared by the hostile-input tests.

#include "tests/support/TestImport.h"
#include "tools/host/ImportRuns.h"
#include "tools/host/Recorder.h"
#include "tools/host/Text.h"

#include <filesystem>
#include <string>
#include <vector>

namespace Hostile
{

// The golden documents and the example documents of the repository.
std::vector<std::filesystem::path> SampleDocuments();

// The run's findings, and anything that left the import, as one text for a failure message;
// empty when there is nothing to report.
std::string Problems(const Host::ImportRun& run);

// The trace line of a sink call with one text argument.
std::string TextCall(const char* method, const std::u16string& text);

// A document's text in UTF-16, little or big endian, with or without the byte-order mark.
std::string Utf16(const std::string& utf8, bool bigEndian, bool byteOrderMark);

} // namespace Hostile
