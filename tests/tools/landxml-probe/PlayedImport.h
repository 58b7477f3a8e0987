#pragma once

// A host's record of an import, made without the plug-in: the calls it makes for each element it
// sends are made here on the recording host, in its order, so that the probe's checks and plan
// can be tested on what a host receives. The parsers are the host's own, so a text they reject
// is followed by nothing, as in the plug-in.

#include "tools/host/Recorder.h"

#include <vector>

namespace ProbeTesting
{

// A raw observation as the plug-in sends it: its target, face, angles as it hands them to the
// parser (d.mm.ss.), slope distance and target height read as lengths (null: absent), and the
// time the extension is sent (null: none).
struct Sight
{
    const char* target = "P1";
    int face = 0;
    const char* horizontal = nullptr;
    const char* zenith = nullptr;
    const char* slopeDistance = nullptr;
    const char* time = nullptr;
    const char* targetHeight = nullptr;
};

class PlayedImport
{
public:
    // BeginFile, and the parsers the plug-in asks for: lengths in metres, angles as dd.mm.ss.
    PlayedImport();
    // Releases the parsers.
    ~PlayedImport();
    PlayedImport(const PlayedImport&) = delete;
    PlayedImport& operator=(const PlayedImport&) = delete;

    // AddPoint, then each coordinate text the distance parser reads sent as northing, easting and
    // elevation; a point without coordinates gets none.
    void Point(const char* name, const char* north = nullptr, const char* east = nullptr,
               const char* up = nullptr);
    // A setup's station: its instrument height handed to the parser, SetStation, and the height
    // where it was read; without a height, SetStation alone (a group announcing it again).
    void Station(const char* name, const char* height = nullptr);
    void Observation(const Sight& sight);
    // A text the plug-in hands to a parser without sending a value of it here (the extension's
    // numbers).
    void Parse(Plugin::IValueParser* parser, const char* text);

    const std::vector<Host::Call>& Calls() const { return record.Calls(); }

    Plugin::IValueParser* distance = nullptr;
    Plugin::IValueParser* angle = nullptr;
    Plugin::IValueParser* pressure = nullptr;
    Plugin::IValueParser* temperature = nullptr;

private:
    void Send(Plugin::IValueParser* parser, const char* text,
              void (Plugin::IImportSink::*setter)(double));

    Host::Recorder record;
    Host::Sink host{record};
};

} // namespace ProbeTesting
