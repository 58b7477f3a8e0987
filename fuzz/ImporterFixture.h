#pragma once

// An importer in the middle of a file, for the targets that fuzz one reader: the host has seen
// BeginFile and the importer has read the units of a small document, so the four value parsers
// exist, as they do for every reader after ReadUnits. The host's calls are checked by the rule
// checker and recorded in full.

#include "import/LandXMLImporter.h"
#include "tools/host/Recorder.h"
#include "tools/host/RuleChecker.h"

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
    Host::Sink& Sink() { return host; }

    // One parser call, as the record holds it.
    struct ParseCall
    {
        std::string kind; // "distance", "angle", ...
        std::u16string text;
        bool accepted = false;
        double value = 0.0;
    };
    // Calls recorded so far; the parser calls and the other calls recorded since a count.
    std::size_t Recorded() const { return record.Calls().size(); }
    std::vector<ParseCall> ParseCallsSince(std::size_t recorded) const;
    std::vector<std::string> OtherLinesSince(std::size_t recorded) const;

    // Ends the file as the driver does (progress 100, the importer destroyed) and returns what
    // the rule checker found wrong during the whole file.
    Host::Findings Finish();

private:
    Host::Recorder record;
    Host::RuleChecker checker{record};
    Host::Sink host{checker};
    bool setting = true;
    std::unique_ptr<Plugin::CLandXMLImporter> importer;
};

// The input as a wide text: with rawUnits its bytes in pairs as UTF-16 code units (little
// endian, up to the first zero; an odd last byte is dropped), else decoded from UTF-8 by the
// importer.
Plugin::WideString InputText(ImporterFixture& fixture, const std::uint8_t* data, std::size_t size,
                             bool rawUnits);

} // namespace Fuzzing
