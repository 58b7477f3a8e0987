#pragma once

// The fuzz targets as plain functions: each takes one input and returns what the plug-in did
// wrong with it, empty when every property held. libFuzzer calls them through FuzzEntry.cpp
// (one executable per target); every build with the tests replays their seed corpora through the
// same functions (CorpusReplay.cpp).

#include "tools/host/ImportRuns.h"

#include <cstddef>
#include <cstdint>

namespace Fuzzing
{

using Host::Findings;

// Whole documents: parsed in place by CLandXMLImporter as the import driver does, with the
// host and its rule checker, compared with the XML parser's own verdict; again with an allocation
// failure at a point chosen from the input (where the build can fail allocations); and now and then
// through the driver from a file.
Findings ImportDocument(const std::uint8_t* data, std::size_t size);

// Text decoding under both code pages: Platform::MultiByteToWide and CLandXMLImporter::ToWide.
Findings DecodeText(const std::uint8_t* data, std::size_t size);

// ConvertAngle in both angular units with the host's angle parser.
Findings ConvertAngleText(const std::uint8_t* data, std::size_t size);

// ReadPointCoordinates with the host's distance parser.
Findings SplitCoordinates(const std::uint8_t* data, std::size_t size);

} // namespace Fuzzing
