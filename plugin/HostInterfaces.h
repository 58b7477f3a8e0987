#pragma once

// Everything that crosses between the host and the plug-in: the text type, GUID, BSTR and each
// interface table in slot order. The host's layout is binding: never reorder a table, and keep
// every placeholder so that the slots after it stay at their index.

#include <cstdint>
#include <string>

namespace Plugin
{

#ifdef _WIN32
using WideChar = wchar_t;
#else
using WideChar = char16_t;
#endif

// A wide literal of the text type: WIDE_TEXT("name").
#ifdef _WIN32
#define WIDE_TEXT(text) L##text
#else
#define WIDE_TEXT(text) u##text
#endif

// A zero-terminated UTF-16 text; every text handed to or returned by the host is one.
using WideString = std::basic_string<WideChar>;

// A length-prefixed, zero-terminated text from the system string allocator. The 32-bit byte
// length (terminator excluded) stands in the 4 bytes before the pointer; the host frees it.
using BSTR = WideChar*;

struct GUID
{
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};
static_assert(sizeof(GUID) == 16, "returned by value to the host");

// Interfaces are tables only: the host never destroys an object through them, it calls Release.
// Implementations declare their virtual destructor after the last slot of their interface.
struct IRefCounted
{
    virtual void AddRef() = 0;  // slot 0
    virtual bool Release() = 0; // slot 1; true exactly when the object destroyed itself

protected:
    ~IRefCounted() = default;
};

// A forward cursor; not reference-counted, no destructor slot.
template <typename T> struct IEnumerator
{
    virtual bool HasCurrent() = 0; // slot 0
    virtual void MoveNext() = 0;   // slot 1
    virtual T GetCurrent() = 0;    // slot 2
    virtual void Reset() = 0;      // slot 3

protected:
    ~IEnumerator() = default;
};

using IPathEnumerator = IEnumerator<const WideChar*>;

// ---- Host objects the plug-in calls -------------------------------------------------------

struct IValueParser : IRefCounted
{
    // slot 2; true leaves the value, in the host's unit, in *value
    virtual bool Parse(const WideChar* text, double* value) = 0;

protected:
    ~IValueParser() = default;
};

struct IValueParserFactory : IRefCounted
{
    // Each returns a parser carrying one reference for the caller.
    virtual IValueParser* GetAngleParser(int unitCode) = 0;       // slot 2
    virtual IValueParser* GetDistanceParser(int unitCode) = 0;    // slot 3
    virtual IValueParser* GetPressureParser(int unitCode) = 0;    // slot 4
    virtual IValueParser* GetTemperatureParser(int unitCode) = 0; // slot 5

protected:
    ~IValueParserFactory() = default;
};

// Returned by IImportSink::GetExtension; the plug-in uses it at once and never releases it.
struct ISinkExtension
{
    virtual void Reserved0() {}
    virtual void Reserved1() {}
    virtual void Reserved2() {}
    virtual void Reserved3() {}
    virtual void Reserved4() {}
    virtual void Reserved5() {}
    virtual void Reserved6() {}
    virtual void Reserved7() {}
    virtual void Reserved8() {}
    virtual void Reserved9() {}
    virtual void Reserved10() {}
    virtual void Reserved11() {}
    virtual void Reserved12() {}
    virtual void Reserved13() {}
    virtual void Reserved14() {}
    virtual void Reserved15() {}
    virtual void Reserved16() {}
    virtual void Reserved17() {}
    virtual void Reserved18() {}
    virtual void Reserved19() {}
    virtual void Reserved20() {}
    virtual void Reserved21() {}
    virtual void Reserved22() {}
    virtual void Reserved23() {}
    virtual void Reserved24() {}
    virtual void Reserved25() {}
    virtual void Reserved26() {}
    virtual void Reserved27() {}
    virtual void Reserved28() {}
    virtual void Reserved29() {}
    virtual void Reserved30() {}
    virtual void Reserved31() {}
    virtual void Reserved32() {}
    virtual void Reserved33() {}
    virtual void Reserved34() {}
    virtual void Reserved35() {}
    virtual void Reserved36() {}
    virtual void Reserved37() {}
    virtual void SetDescription(const WideChar* text) = 0;     // slot 38
    virtual void SetObservationTime(const WideChar* text) = 0; // slot 39
    virtual void AddImageNote(const WideChar* text) = 0;       // slot 40

protected:
    ~ISinkExtension() = default;
};

enum ExtensionKind : int
{
    PointExtension = 1,
    ObservationExtension = 2,
};

// The host's receiver of one import. Point calls belong to the point of the last AddPoint,
// observation calls and image notes to the station of the last SetStation.
struct IImportSink
{
    virtual IValueParserFactory* GetValueParserFactory() = 0; // slot 0, one reference
    virtual void BeginFile(const WideChar* path) = 0;         // slot 1
    virtual void SetFileResult(int result) = 0;               // slot 2
    virtual void Reserved3() {}
    virtual void ReportWarning(const WideChar* text) = 0; // slot 4
    virtual void ReportError(const WideChar* text) = 0;   // slot 5
    virtual void SetProgress(float percent) = 0;          // slot 6
    virtual ISinkExtension* GetExtension(int kind) = 0;   // slot 7, may be null
    virtual void AddPoint(const WideChar* name) = 0;      // slot 8
    virtual void SetNorthing(double value) = 0;           // slot 9
    virtual void SetEasting(double value) = 0;            // slot 10
    virtual void SetElevation(double value) = 0;          // slot 11
    virtual void SetPlanType(int type) = 0;               // slot 12
    virtual void SetHeightType(int type) = 0;             // slot 13
    virtual void Reserved14() {}
    virtual void Reserved15() {}
    virtual void SetPointCode(const WideChar* code) = 0; // slot 16
    virtual void SetStation(const WideChar* name) = 0;   // slot 17
    virtual void Reserved18() {}
    virtual void Reserved19() {}
    virtual void SetDate(const WideChar* date) = 0;     // slot 20
    virtual void SetInstrumentHeight(double value) = 0; // slot 21
    virtual void Reserved22() {}
    virtual void Reserved23() {}
    virtual void SetTargetPoint(const WideChar* name) = 0; // slot 24
    virtual void SetPressure(double value) = 0;            // slot 25
    virtual void SetDryTemperature(double value) = 0;      // slot 26
    virtual void Reserved27() {}
    virtual void SetZenithAngle(double value) = 0;     // slot 28
    virtual void SetHorizontalAngle(double value) = 0; // slot 29
    virtual void SetTargetHeight(double value) = 0;    // slot 30
    virtual void SetSlopeDistance(double value) = 0;   // slot 31
    virtual void Reserved32() {}
    virtual void SetFace(int face) = 0; // slot 33

protected:
    ~IImportSink() = default;
};

struct ISettingsReader
{
    virtual void Reserved0() {}
    virtual int ReadInt(const WideChar* key, int defaultValue) = 0; // slot 1

protected:
    ~ISettingsReader() = default;
};

struct ISettingsWriter
{
    virtual void Reserved0() {}
    virtual bool WriteInt(const WideChar* key, int value) = 0; // slot 1, result passed on

protected:
    ~ISettingsWriter() = default;
};

// One choice of a combo-box property, handed to the host with one reference.
struct IComboItem : IRefCounted
{
    virtual int GetId() = 0;    // slot 2
    virtual BSTR GetText() = 0; // slot 3, newly allocated; the host frees it

protected:
    ~IComboItem() = default;
};

struct IPropertyListView
{
    virtual void AddCategory(const WideChar* caption) = 0; // slot 0
    virtual void Reserved1() {}
    // slot 2; the enumerator is valid only during the call
    virtual bool AddComboProperty(int id, bool flag, const WideChar* label,
                                  IEnumerator<IComboItem*>* items, int selectedId) = 0;
    virtual void Reserved3() {}
    virtual void Reserved4() {}
    virtual void Reserved5() {}
    virtual void GetComboValue(int id, int* value) = 0; // slot 6

protected:
    ~IPropertyListView() = default;
};

// ---- Plug-in objects the host calls ------------------------------------------------------

// The plug-in object's second base; lives as long as the plug-in object, no reference count.
struct IPropertyListViewController
{
    virtual void FillPropertyList(IPropertyListView* view) = 0; // slot 0
    virtual bool CanApply() = 0;                                // slot 1
    virtual bool CanClose() = 0;                                // slot 2
    virtual bool ApplyChanges() = 0;                            // slot 3, yields the new setting
    virtual void Close() = 0;                                   // slot 4

protected:
    ~IPropertyListViewController() = default;
};

struct IPlugin : IRefCounted
{
    virtual void* GetInterface(int kind) = 0; // slot 2; kinds 0 to 2 add a reference
    virtual BSTR GetName() = 0;               // slot 3
#if defined(_WIN32) && !defined(_MSC_VER)
    // MSVC returns a 16-byte struct through a hidden pointer passed after `this`; g++ would put
    // it before `this`. Spelling MSVC's convention out keeps the slot callable by MSVC hosts.
    virtual GUID* GetId(GUID* result) = 0; // slot 4
#else
    virtual GUID GetId() = 0; // slot 4
#endif
    virtual int GetVersion() = 0;                                         // slot 5
    virtual void LoadSettings(ISettingsReader* reader) = 0;               // slot 6
    virtual bool SaveSettings(ISettingsWriter* writer) = 0;               // slot 7
    virtual IPropertyListViewController* GetPropertyListController() = 0; // slot 8

protected:
    ~IPlugin() = default;
};

struct IFileImportPlugin : IPlugin
{
    virtual BSTR GetFileFilter() = 0; // slot 9
    virtual BSTR GetFormatName() = 0; // slot 10

protected:
    ~IFileImportPlugin() = default;
};

struct IGroundBasedMIP : IFileImportPlugin
{
    virtual void Import(IPathEnumerator* paths, IImportSink* sink) = 0; // slot 11

protected:
    ~IGroundBasedMIP() = default;
};

} // namespace Plugin

// The library's one export, found by name: a new plug-in object carrying one reference for the
// caller. Hosts look it up at run time; this is its signature.
using CreatePluginFunction = Plugin::IGroundBasedMIP* (*)();
