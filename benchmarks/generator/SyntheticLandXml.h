#pragma once

// Synthetic LandXML 1.2 documents of a chosen size, for the import benchmark: a total-station job
// with coordinate-geometry points, plan features, parcels, one standard survey and the vendor
// extension element with its points, images, plan features, TPS corrections and setups. The
// same options always give the same bytes, on every platform.

#include <cstdint>
#include <cstdio>
#include <string>

namespace Benchmark
{

struct SyntheticOptions
{
    std::uint64_t targetBytes = 2u << 20; // the document's size comes within about 1 % of this
    std::uint64_t seed = 1;
};

// What one document holds, counted while it was written, and what an import of it must send to
// the host when no image file exists beside it.
struct SyntheticCounts
{
    std::uint64_t bytes = 0;
    std::uint64_t blocks = 0; // one station with its points, observations and extension data

    std::uint64_t cgPoints = 0;
    std::uint64_t controlPoints = 0;
    std::uint64_t planFeatures = 0;
    std::uint64_t parcels = 0;
    std::uint64_t setups = 0;
    std::uint64_t rawObservations = 0;

    std::uint64_t extensionPoints = 0;
    std::uint64_t pointImages = 0; // "landxml:DocFileRef" of extension points
    std::uint64_t extensionFeatures = 0;
    std::uint64_t tpsCorrections = 0;
    std::uint64_t extensionObservations = 0;
    std::uint64_t tpsImagesOfPoints = 0; // TPS images that name an image of an extension point
    std::uint64_t setupImages = 0;       // TPS images that no extension point lists

    // Host calls an import makes.
    std::uint64_t expectedAddPoint = 0;
    std::uint64_t expectedPointCodes = 0; // SetPointCode of points and of observations
    std::uint64_t expectedStations = 0;   // SetStation
    std::uint64_t expectedImageNotes = 0; // AddImageNote
    std::uint64_t expectedWarnings = 0;   // ReportWarning for image files that are missing
    std::uint64_t expectedTargets = 0;    // SetTargetPoint
    std::uint64_t expectedDistances = 0;  // SetSlopeDistance
    std::uint64_t expectedTimeStamps = 0; // SetObservationTime
    std::uint64_t expectedPressures = 0;  // SetPressure
};

// Writes the document to file; returns what it holds. Raises std::runtime_error when the file
// cannot be written.
SyntheticCounts WriteSyntheticLandXml(const SyntheticOptions& options, std::FILE* file);

// The same document in memory.
std::string SyntheticLandXml(const SyntheticOptions& options, SyntheticCounts* counts = nullptr);

// The counts of the document a number of blocks makes, without writing it.
SyntheticCounts CountSyntheticLandXml(std::uint64_t blocks, std::uint64_t seed);

// The number of blocks whose document comes closest to the target size (at least one).
std::uint64_t BlocksForSize(std::uint64_t targetBytes, std::uint64_t seed);

} // namespace Benchmark
