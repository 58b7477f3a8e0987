#pragma once

// An importer in the middle of a file, for the targets that fuzz one reader: the checking host
// has seen BeginFile and the importer has read the units of a small document, so the four
// value parsers exist, as they do for every reader after ReadUnits.

#include "fuzz/CheckingHost.h"
#include "import/LandXMLImporter.h"

#include <memory>
#include <string>

namespace Fuzzing
{

class ImporterFixture
{
public:
    // units: the document's "Units" element, or the empty string for none.
    explicit ImporterFixture(const std::string& units);
    ImporterFixture(const ImporterFixture&) = delete;
    ImporterFixture& operator=(const ImporterFixture&) = delete;

    Plugin::CLandXMLImporter& Importer() { return *importer; }
    CheckingHost& Sink() { return host; }

    // Ends the file as the driver does (progress 100, the importer destroyed) and returns what
    // the host found wrong during the whole file.
    Findings Finish();

private:
    CheckingHost host;
    bool setting = true;
    std::unique_ptr<Plugin::CLandXMLImporter> importer;
};

// The input as a wide text: with rawUnits its bytes in pairs as UTF-16 code units (little
// endian, up to the first zero; an odd last byte is dropped), else decoded from UTF-8 by the
// importer.
Plugin::WideString InputText(ImporterFixture& fixture, const std::uint8_t* data, std::size_t size,
                             bool rawUnits);

} // namespace Fuzzing
