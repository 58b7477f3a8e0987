#pragma once

// Every method of the host's objects, described once: its name, the interface of
// plugin/HostInterfaces.h that declares it and its slot there, and what a trace shows of its
// arguments and of its answer. The Method enum, the names a trace prints, the recorder's shapes,
// the sink's calls that only tell their observer, and the slot-order test come from this table.
//
// A row is OWN(name, Interface, slot, argument, answer) for a method the host writes out itself,
// or TOLD(...) for a sink method whose whole work is to tell the observer its one argument.

#include <cstddef>
#include <cstdint>
#include <iterator>

// clang-format off
#define LANDXML_HOST_METHODS(OWN, TOLD)                                  \
    /* the sink */                                                       \
    OWN(GetValueParserFactory, IImportSink, 0, None, None)               \
    TOLD(BeginFile, IImportSink, 1, Text, None)                          \
    TOLD(SetFileResult, IImportSink, 2, Integer, None)                   \
    TOLD(ReportWarning, IImportSink, 4, Text, None)                      \
    TOLD(ReportError, IImportSink, 5, Text, None)                        \
    OWN(SetProgress, IImportSink, 6, Number, None)                       \
    OWN(GetExtension, IImportSink, 7, Integer, ExtensionOrNull)          \
    TOLD(AddPoint, IImportSink, 8, Text, None)                           \
    TOLD(SetNorthing, IImportSink, 9, Number, None)                      \
    TOLD(SetEasting, IImportSink, 10, Number, None)                      \
    TOLD(SetElevation, IImportSink, 11, Number, None)                    \
    TOLD(SetPlanType, IImportSink, 12, Integer, None)                    \
    TOLD(SetHeightType, IImportSink, 13, Integer, None)                  \
    TOLD(SetPointCode, IImportSink, 16, Text, None)                      \
    TOLD(SetStation, IImportSink, 17, Text, None)                        \
    TOLD(SetDate, IImportSink, 20, Text, None)                           \
    TOLD(SetInstrumentHeight, IImportSink, 21, Number, None)             \
    TOLD(SetTargetPoint, IImportSink, 24, Text, None)                    \
    TOLD(SetPressure, IImportSink, 25, Number, None)                     \
    TOLD(SetDryTemperature, IImportSink, 26, Number, None)               \
    TOLD(SetZenithAngle, IImportSink, 28, Number, None)                  \
    TOLD(SetHorizontalAngle, IImportSink, 29, Number, None)              \
    TOLD(SetTargetHeight, IImportSink, 30, Number, None)                 \
    TOLD(SetSlopeDistance, IImportSink, 31, Number, None)                \
    TOLD(SetFace, IImportSink, 33, Integer, None)                        \
    /* the extensions */                                                 \
    OWN(SetDescription, ISinkExtension, 38, Text, None)                  \
    OWN(SetObservationTime, ISinkExtension, 39, Text, None)              \
    OWN(AddImageNote, ISinkExtension, 40, Text, None)                    \
    /* the factory and the parsers */                                    \
    OWN(AddRef, IRefCounted, 0, None, None)                              \
    OWN(Release, IRefCounted, 1, None, None)                             \
    OWN(GetAngleParser, IValueParserFactory, 2, Integer, None)           \
    OWN(GetDistanceParser, IValueParserFactory, 3, Integer, None)        \
    OWN(GetPressureParser, IValueParserFactory, 4, Integer, None)        \
    OWN(GetTemperatureParser, IValueParserFactory, 5, Integer, None)     \
    OWN(Parse, IValueParser, 2, Text, NumberOrFalse)                     \
    /* the path list */                                                  \
    OWN(HasCurrent, IPathEnumerator, 0, None, Flag)                      \
    OWN(MoveNext, IPathEnumerator, 1, None, None)                        \
    OWN(GetCurrent, IPathEnumerator, 2, None, TextOrNull)                \
    OWN(Reset, IPathEnumerator, 3, None, None)                           \
    /* the settings store */                                             \
    OWN(ReadInt, ISettingsReader, 1, KeyAndInteger, Integer)             \
    OWN(WriteInt, ISettingsWriter, 1, KeyAndInteger, Flag)               \
    /* the property list */                                              \
    OWN(AddCategory, IPropertyListView, 0, Text, None)                   \
    OWN(AddComboProperty, IPropertyListView, 2, ComboProperty, Flag)     \
    OWN(GetComboValue, IPropertyListView, 6, TwoIntegers, Integer)
// clang-format on

namespace Host
{

// What a trace shows of a call's arguments, taken from the fields of its Event.
enum class Argument : std::uint8_t
{
    None,
    Text,          // text
    Number,        // number
    Integer,       // integer
    KeyAndInteger, // text, integer
    TwoIntegers,   // integer, second
    ComboProperty, // integer, flag, text, second
};

// What a trace shows of a call's answer.
enum class Answer : std::uint8_t
{
    None,
    ExtensionOrNull, // "extension" when result is 1, else null
    NumberOrFalse,   // number when result is 1, else false
    Flag,            // result as true or false
    TextOrNull,      // text, or null
    Integer,         // result
};

#define LANDXML_METHOD_ENUMERATOR(name, Interface, slot, argument, answer) name,
enum class Method : std::uint8_t
{
    LANDXML_HOST_METHODS(LANDXML_METHOD_ENUMERATOR, LANDXML_METHOD_ENUMERATOR)
};
#undef LANDXML_METHOD_ENUMERATOR

struct MethodShape
{
    const char* name;
    Argument argument;
    Answer answer;
};

#define LANDXML_METHOD_SHAPE(name, Interface, slot, argument, answer)                              \
    {#name, Argument::argument, Answer::answer},
inline constexpr MethodShape kMethods[] = {
    LANDXML_HOST_METHODS(LANDXML_METHOD_SHAPE, LANDXML_METHOD_SHAPE)};
#undef LANDXML_METHOD_SHAPE

constexpr std::size_t kMethodCount = std::size(kMethods);

constexpr const MethodShape& ShapeOf(Method method)
{
    return kMethods[static_cast<std::size_t>(method)];
}

// The name a trace gives the method: "GetValueParserFactory", "BeginFile", ...
constexpr const char* NameOf(Method method)
{
    return ShapeOf(method).name;
}

} // namespace Host
