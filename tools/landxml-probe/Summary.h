#pragma once

// The summary of one file of an import, for a surveyor to read at a glance: what reached the
// host, the units the document declares and what the host received of them, the messages the
// host was given,
// what the document holds that did not reach the host, and what did reach it but will likely
// mislead the surveyor there.

#include "tools/host/Recorder.h"
#include "tools/landxml-probe/Checks.h"
#include "tools/landxml-probe/DocumentContents.h"

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace Probe
{

// One message text and how often the host was given it.
struct Message
{
    std::string text;
    int count = 0;
};

struct FileSummary
{
    std::string path; // as BeginFile gave it, after --relative-to
    int points = 0;
    std::vector<std::string> stations; // distinct SetStation names, in first-seen order
    int activations = 0;               // SetStation calls
    int observations = 0;
    int imageNotes = 0;
    // Unit codes of the four parser requests; -1 while the host was not asked.
    int distanceUnit = -1;
    int angleUnit = -1;
    int pressureUnit = -1;
    int temperatureUnit = -1;
    std::vector<Message> warnings;
    std::vector<Message> errors; // in first-seen order
    std::string text;            // the encoding its text was read in, in words
    DocumentContents document;
    // The file's part of the record, [firstCall, lastCall), and the checks made of it once the
    // document was read.
    std::size_t firstCall = 0;
    std::size_t lastCall = 0;
    bool checked = false;
    FileChecks checks;

    // Counts one call of this file's part of the record.
    void Count(const Host::Call& call);
    int ErrorCount() const;
};

void WriteSummaryText(std::ostream& out, const FileSummary& file);
void WriteSummaryJson(std::ostream& out, const FileSummary& file);

} // namespace Probe
