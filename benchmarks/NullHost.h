#pragma once

// A host that takes every call of an import and keeps nothing but counts, so that a benchmark
// times the plug-in's own work. Its parsers accept every text.

#include "plugin/HostInterfaces.h"

#include <cstdint>
#include <cstdlib>

namespace Benchmark
{

// How the host's value parsers turn a text into a number.
enum class NumberParsing
{
    Constant, // every text is 1.0: the host costs nothing
    Strtod,   // the text's leading number, as a simple host would read it
};

// The host calls a benchmark checks against what the document holds.
struct HostCalls
{
    std::uint64_t all = 0;
    std::uint64_t addPoint = 0;
    std::uint64_t pointCodes = 0;
    std::uint64_t stations = 0;
    std::uint64_t pressures = 0;
    std::uint64_t targets = 0;
    std::uint64_t distances = 0;
    std::uint64_t timeStamps = 0;
    std::uint64_t imageNotes = 0;
    std::uint64_t warnings = 0;
    std::uint64_t errors = 0;
    std::uint64_t parses = 0;
};

class NullParser final : public Plugin::IValueParser
{
public:
    NullParser(NumberParsing mode, std::int64_t& referenceCount, HostCalls& hostCalls)
        : parsing(mode), references(referenceCount), calls(hostCalls)
    {
    }

    void AddRef() override { ++references; }
    bool Release() override
    {
        --references;
        return false; // owned by the host, never destroyed through a release
    }
    bool Parse(const Plugin::WideChar* text, double* value) override
    {
        ++calls.parses;
        if (parsing == NumberParsing::Constant)
        {
            *value = 1.0;
            return true;
        }
        char narrow[64];
        std::size_t length = 0;
        for (; text[length] != 0 && length + 1 < sizeof narrow; ++length)
            narrow[length] = text[length] < 0x80 ? static_cast<char>(text[length]) : '?';
        narrow[length] = 0;
        *value = std::strtod(narrow, nullptr);
        return true;
    }
    virtual ~NullParser() = default;

private:
    NumberParsing parsing;
    std::int64_t& references;
    HostCalls& calls;
};

class NullParserFactory final : public Plugin::IValueParserFactory
{
public:
    NullParserFactory(NumberParsing mode, std::int64_t& referenceCount, HostCalls& hostCalls)
        : references(referenceCount), distance(mode, referenceCount, hostCalls),
          angle(mode, referenceCount, hostCalls), pressure(mode, referenceCount, hostCalls),
          temperature(mode, referenceCount, hostCalls)
    {
    }

    void AddRef() override { ++references; }
    bool Release() override
    {
        --references;
        return false;
    }
    Plugin::IValueParser* GetAngleParser(int) override { return Handed(angle); }
    Plugin::IValueParser* GetDistanceParser(int) override { return Handed(distance); }
    Plugin::IValueParser* GetPressureParser(int) override { return Handed(pressure); }
    Plugin::IValueParser* GetTemperatureParser(int) override { return Handed(temperature); }
    virtual ~NullParserFactory() = default;

private:
    Plugin::IValueParser* Handed(NullParser& parser)
    {
        parser.AddRef();
        return &parser;
    }

    std::int64_t& references;
    NullParser distance;
    NullParser angle;
    NullParser pressure;
    NullParser temperature;
};

class NullExtension final : public Plugin::ISinkExtension
{
public:
    explicit NullExtension(HostCalls& hostCalls) : calls(hostCalls) {}

    void SetDescription(const Plugin::WideChar*) override { ++calls.all; }
    void SetObservationTime(const Plugin::WideChar*) override
    {
        ++calls.all;
        ++calls.timeStamps;
    }
    void AddImageNote(const Plugin::WideChar*) override
    {
        ++calls.all;
        ++calls.imageNotes;
    }
    virtual ~NullExtension() = default;

private:
    HostCalls& calls;
};

class NullSink final : public Plugin::IImportSink
{
public:
    explicit NullSink(NumberParsing mode) : factory(mode, references, calls), extension(calls) {}
    NullSink(const NullSink&) = delete;
    NullSink& operator=(const NullSink&) = delete;

    // Calls counted since the last Reset; references held by the plug-in right now.
    const HostCalls& Calls() const { return calls; }
    std::int64_t References() const { return references; }
    void Reset() { calls = HostCalls(); }

    Plugin::IValueParserFactory* GetValueParserFactory() override
    {
        ++calls.all;
        factory.AddRef();
        return &factory;
    }
    void BeginFile(const Plugin::WideChar*) override { ++calls.all; }
    void SetFileResult(int) override { ++calls.all; }
    void ReportWarning(const Plugin::WideChar*) override
    {
        ++calls.all;
        ++calls.warnings;
    }
    void ReportError(const Plugin::WideChar*) override
    {
        ++calls.all;
        ++calls.errors;
    }
    void SetProgress(float) override { ++calls.all; }
    Plugin::ISinkExtension* GetExtension(int) override
    {
        ++calls.all;
        return &extension;
    }
    void AddPoint(const Plugin::WideChar*) override
    {
        ++calls.all;
        ++calls.addPoint;
    }
    void SetNorthing(double) override { ++calls.all; }
    void SetEasting(double) override { ++calls.all; }
    void SetElevation(double) override { ++calls.all; }
    void SetPlanType(int) override { ++calls.all; }
    void SetHeightType(int) override { ++calls.all; }
    void SetPointCode(const Plugin::WideChar*) override
    {
        ++calls.all;
        ++calls.pointCodes;
    }
    void SetStation(const Plugin::WideChar*) override
    {
        ++calls.all;
        ++calls.stations;
    }
    void SetDate(const Plugin::WideChar*) override { ++calls.all; }
    void SetInstrumentHeight(double) override { ++calls.all; }
    void SetTargetPoint(const Plugin::WideChar*) override
    {
        ++calls.all;
        ++calls.targets;
    }
    void SetPressure(double) override
    {
        ++calls.all;
        ++calls.pressures;
    }
    void SetDryTemperature(double) override { ++calls.all; }
    void SetZenithAngle(double) override { ++calls.all; }
    void SetHorizontalAngle(double) override { ++calls.all; }
    void SetTargetHeight(double) override { ++calls.all; }
    void SetSlopeDistance(double) override
    {
        ++calls.all;
        ++calls.distances;
    }
    void SetFace(int) override { ++calls.all; }
    virtual ~NullSink() = default;

private:
    HostCalls calls;
    std::int64_t references = 0;
    NullParserFactory factory;
    NullExtension extension;
};

} // namespace Benchmark
