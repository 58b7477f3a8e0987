// A host built the way the host application is: C++ for Microsoft's ABI (clang-cl, /EHsc), with
// its own declarations of the plug-in's tables and no header of ours, so that every slot is called
// and every exception is thrown and caught as such a host does it. It runs under Wine beside the
// DLL and checks, through that ABI: identity, references, settings, the property list, an import
// of the example against the counts of its reviewed trace, a file too large to read, a host
// callback that throws, and the process's committed memory over thousands of imports whose warning
// callback throws. It prints each failure and exits with 1 when there was any.
//
// No CRT or Windows header is used: the few functions called are declared here, and the import
// libraries come from the .def files beside this file.

using size_t = decltype(sizeof 0);
using BSTR = wchar_t*;

// PROCESS_MEMORY_COUNTERS_EX, for K32GetProcessMemoryInfo.
struct ProcessMemoryCounters
{
    unsigned long size;
    unsigned long pageFaultCount;
    size_t peakWorkingSetSize;
    size_t workingSetSize;
    size_t quotaPeakPagedPoolUsage;
    size_t quotaPagedPoolUsage;
    size_t quotaPeakNonPagedPoolUsage;
    size_t quotaNonPagedPoolUsage;
    size_t pagefileUsage;
    size_t peakPagefileUsage;
    size_t privateUsage;
};

extern "C"
{
    // The type descriptors of thrown and caught classes point at type_info's table; matching
    // compares names only, so the table itself is never used.
    const void* typeInfoTable[1] __asm__("??_7type_info@@6B@") = {nullptr};
    int _fltused = 1;

    __declspec(dllimport) void* __stdcall LoadLibraryW(const wchar_t* name);
    __declspec(dllimport) int __stdcall FreeLibrary(void* module);
    __declspec(dllimport) void* __stdcall GetProcAddress(void* module, const char* name);
    __declspec(dllimport) void __stdcall ExitProcess(unsigned code);
    __declspec(dllimport) unsigned long __stdcall GetLastError();
    __declspec(dllimport) wchar_t* __stdcall GetCommandLineW();
    __declspec(dllimport) wchar_t** __stdcall CommandLineToArgvW(const wchar_t* line, int* count);
    __declspec(dllimport) unsigned long __stdcall GetTempPathW(unsigned long size, wchar_t* path);
    __declspec(dllimport) void* __stdcall CreateFileW(const wchar_t* name, unsigned long access,
                                                      unsigned long share, void* security,
                                                      unsigned long disposition,
                                                      unsigned long flags, void* templateFile);
    __declspec(dllimport) int __stdcall WriteFile(void* file, const void* data, unsigned long size,
                                                  unsigned long* written, void* overlapped);
    __declspec(dllimport) int __stdcall SetFilePointerEx(void* file, long long distance,
                                                         long long* position, unsigned long from);
    __declspec(dllimport) int __stdcall SetEndOfFile(void* file);
    __declspec(dllimport) int __stdcall CloseHandle(void* handle);
    __declspec(dllimport) int __stdcall CopyFileW(const wchar_t* from, const wchar_t* to,
                                                  int failIfExists);
    __declspec(dllimport) int __stdcall DeleteFileW(const wchar_t* name);
    __declspec(dllimport) void* __stdcall GetCurrentProcess();
    __declspec(dllimport) int __stdcall K32GetProcessMemoryInfo(void* process,
                                                                ProcessMemoryCounters* counters,
                                                                unsigned long size);
    __declspec(dllimport) void __stdcall SysFreeString(BSTR text);

    __declspec(dllimport) int printf(const char* format, ...);
    __declspec(dllimport) int fflush(void* stream);
    __declspec(dllimport) void* _wfopen(const wchar_t* name, const wchar_t* mode);
    __declspec(dllimport) char* fgets(char* line, int size, void* stream);
    __declspec(dllimport) int fclose(void* stream);
    __declspec(dllimport) double wcstod(const wchar_t* text, wchar_t** end);
}

namespace
{

// ---- The plug-in's tables, in slot order ----------------------------------------------------

struct GUID
{
    unsigned data1;
    unsigned short data2;
    unsigned short data3;
    unsigned char data4[8];
};

struct IRefCounted
{
    virtual void AddRef() = 0;
    virtual bool Release() = 0;
};

template <typename T> struct IEnumerator
{
    virtual bool HasCurrent() = 0;
    virtual void MoveNext() = 0;
    virtual T GetCurrent() = 0;
    virtual void Reset() = 0;
};

struct IValueParser : IRefCounted
{
    virtual bool Parse(const wchar_t* text, double* value) = 0;
};

struct IValueParserFactory : IRefCounted
{
    virtual IValueParser* GetAngleParser(int unitCode) = 0;
    virtual IValueParser* GetDistanceParser(int unitCode) = 0;
    virtual IValueParser* GetPressureParser(int unitCode) = 0;
    virtual IValueParser* GetTemperatureParser(int unitCode) = 0;
};

// Slots 0 to 37 are the host's own; the plug-in calls 38 to 40.
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
    virtual void SetDescription(const wchar_t* text) = 0;
    virtual void SetObservationTime(const wchar_t* text) = 0;
    virtual void AddImageNote(const wchar_t* text) = 0;
};

struct IImportSink
{
    virtual IValueParserFactory* GetValueParserFactory() = 0; // 0
    virtual void BeginFile(const wchar_t* path) = 0;          // 1
    virtual void SetFileResult(int result) = 0;               // 2
    virtual void Reserved3() {}
    virtual void ReportWarning(const wchar_t* text) = 0; // 4
    virtual void ReportError(const wchar_t* text) = 0;   // 5
    virtual void SetProgress(float percent) = 0;         // 6
    virtual ISinkExtension* GetExtension(int kind) = 0;  // 7
    virtual void AddPoint(const wchar_t* name) = 0;      // 8
    virtual void SetNorthing(double value) = 0;          // 9
    virtual void SetEasting(double value) = 0;           // 10
    virtual void SetElevation(double value) = 0;         // 11
    virtual void SetPlanType(int type) = 0;              // 12
    virtual void SetHeightType(int type) = 0;            // 13
    virtual void Reserved14() {}
    virtual void Reserved15() {}
    virtual void SetPointCode(const wchar_t* code) = 0; // 16
    virtual void SetStation(const wchar_t* name) = 0;   // 17
    virtual void Reserved18() {}
    virtual void Reserved19() {}
    virtual void SetDate(const wchar_t* date) = 0;      // 20
    virtual void SetInstrumentHeight(double value) = 0; // 21
    virtual void Reserved22() {}
    virtual void Reserved23() {}
    virtual void SetTargetPoint(const wchar_t* name) = 0; // 24
    virtual void SetPressure(double value) = 0;           // 25
    virtual void SetDryTemperature(double value) = 0;     // 26
    virtual void Reserved27() {}
    virtual void SetZenithAngle(double value) = 0;     // 28
    virtual void SetHorizontalAngle(double value) = 0; // 29
    virtual void SetTargetHeight(double value) = 0;    // 30
    virtual void SetSlopeDistance(double value) = 0;   // 31
    virtual void Reserved32() {}
    virtual void SetFace(int face) = 0; // 33
};

struct ISettingsReader
{
    virtual void Reserved0() {}
    virtual int ReadInt(const wchar_t* key, int defaultValue) = 0;
};

struct ISettingsWriter
{
    virtual void Reserved0() {}
    virtual bool WriteInt(const wchar_t* key, int value) = 0;
};

struct IComboItem : IRefCounted
{
    virtual int GetId() = 0;
    virtual BSTR GetText() = 0;
};

struct IPropertyListView
{
    virtual void AddCategory(const wchar_t* caption) = 0;
    virtual void Reserved1() {}
    virtual bool AddComboProperty(int id, bool flag, const wchar_t* label,
                                  IEnumerator<IComboItem*>* items, int selectedId) = 0;
    virtual void Reserved3() {}
    virtual void Reserved4() {}
    virtual void Reserved5() {}
    virtual void GetComboValue(int id, int* value) = 0;
};

struct IPropertyListViewController
{
    virtual void FillPropertyList(IPropertyListView* view) = 0;
    virtual bool CanApply() = 0;
    virtual bool CanClose() = 0;
    virtual bool ApplyChanges() = 0;
    virtual void Close() = 0;
};

struct IPlugin : IRefCounted
{
    virtual void* GetInterface(int kind) = 0;
    virtual BSTR GetName() = 0;
    virtual GUID GetId() = 0; // by value: the caller's buffer follows `this`
    virtual int GetVersion() = 0;
    virtual void LoadSettings(ISettingsReader* reader) = 0;
    virtual bool SaveSettings(ISettingsWriter* writer) = 0;
    virtual IPropertyListViewController* GetPropertyListController() = 0;
};

struct IFileImportPlugin : IPlugin
{
    virtual BSTR GetFileFilter() = 0;
    virtual BSTR GetFormatName() = 0;
};

struct IGroundBasedMIP : IFileImportPlugin
{
    virtual void Import(IEnumerator<const wchar_t*>* paths, IImportSink* sink) = 0;
};

// ---- Small helpers -------------------------------------------------------------------------

int failures = 0;

void Check(bool ok, const char* what)
{
    if (!ok)
    {
        ++failures;
        printf("FAILED: %s\n", what);
    }
}

size_t Length(const wchar_t* text)
{
    size_t length = 0;
    while (text[length] != 0)
        ++length;
    return length;
}

bool Same(const wchar_t* a, const wchar_t* b)
{
    if (a == nullptr || b == nullptr)
        return a == b;
    for (; *a != 0 && *a == *b; ++a, ++b)
    {
    }
    return *a == *b;
}

bool SameName(const char* a, const char* b)
{
    for (; *a != 0 && *a == *b; ++a, ++b)
    {
    }
    return *a == *b;
}

void Copy(wchar_t* to, size_t room, const wchar_t* first, const wchar_t* second = L"")
{
    size_t at = 0;
    for (const wchar_t* part = first; *part != 0 && at + 1 < room; ++part)
        to[at++] = *part;
    for (const wchar_t* part = second; *part != 0 && at + 1 < room; ++part)
        to[at++] = *part;
    to[at] = 0;
}

// A BSTR slot's text, compared and freed as a host frees it.
void CheckText(BSTR text, const wchar_t* expected, const char* what)
{
    Check(text != nullptr && Same(text, expected), what);
    Check(text == nullptr ||
              reinterpret_cast<const unsigned*>(text)[-1] == Length(expected) * sizeof(wchar_t),
          what);
    SysFreeString(text);
}

// ---- The host's objects ------------------------------------------------------------------

// Calls counted by the names a trace gives them ("AddPoint", "distance.Parse", ...).
struct Counts
{
    static constexpr int kNames = 64;
    char names[kNames][40] = {};
    int expected[kNames] = {};
    int seen[kNames] = {};
    int used = 0;

    void See(const char* name) { ++SlotOf(name, &Counts::seen); }
    void Expect(const char* name) { ++SlotOf(name, &Counts::expected); }
    int& SlotOf(const char* name, int (Counts::*row)[kNames])
    {
        int at = 0;
        while (at < used && !SameName(names[at], name))
            ++at;
        if (at == used && used < kNames)
        {
            for (int c = 0; c < 39 && name[c] != 0; ++c)
                names[used][c] = name[c];
            ++used;
        }
        return (this->*row)[at < kNames ? at : kNames - 1];
    }
    bool Match(const char* what)
    {
        bool same = true;
        for (int i = 0; i < used; ++i)
            if (seen[i] != expected[i])
            {
                same = false;
                printf("  %s: %s %d times, the trace %d\n", what, names[i], seen[i], expected[i]);
            }
        return same;
    }
};

// Reads the trace's lines as counts: the text before "(" names the call.
bool ReadTrace(const wchar_t* path, Counts& counts)
{
    void* file = _wfopen(path, L"rb");
    if (file == nullptr)
        return false;
    static char line[4096];
    bool atLineStart = true;
    while (fgets(line, sizeof line, file) != nullptr)
    {
        if (atLineStart && line[0] != '=' && line[0] != '\n')
        {
            char name[40] = {};
            for (int c = 0; c < 39 && line[c] != '(' && line[c] != 0; ++c)
                name[c] = line[c];
            counts.Expect(name);
        }
        size_t length = 0;
        while (line[length] != 0)
            ++length;
        atLineStart = length > 0 && line[length - 1] == '\n';
    }
    fclose(file);
    return true;
}

// A number filling the whole text; angles in unit 1 also as d.mm.ss with dots after the minutes
// and the seconds (the form the plug-in re-spells them into).
bool ParseNumber(const wchar_t* text, bool angle, double* value)
{
    if (text == nullptr || *text == 0)
        return false;
    int dots = 0;
    bool digitsAndDots = true;
    for (const wchar_t* c = text; *c != 0; ++c)
    {
        dots += *c == L'.';
        digitsAndDots = digitsAndDots && ((*c >= L'0' && *c <= L'9') || *c == L'.');
    }
    if (angle && dots >= 2 && digitsAndDots)
    {
        double parts[3] = {};
        int part = 0;
        for (const wchar_t* c = text; *c != 0 && part < 3; ++c)
        {
            if (*c == L'.')
                ++part;
            else
                parts[part] = parts[part] * 10 + (*c - L'0');
        }
        *value = parts[0] + parts[1] / 60 + parts[2] / 3600;
        return true;
    }
    wchar_t* end = nullptr;
    const double number = wcstod(text, &end);
    if (end == text || *end != 0)
        return false;
    *value = number;
    return true;
}

class Sink;

class Parser final : public IValueParser
{
public:
    void Start(Counts& hostCounts, const char* parserKind)
    {
        counts = &hostCounts;
        kind = parserKind;
        references = 1;
    }
    void AddRef() override { ++references; }
    bool Release() override
    {
        Name("Release");
        return --references == 0;
    }
    bool Parse(const wchar_t* text, double* value) override
    {
        Name("Parse");
        return ParseNumber(text, SameName(kind, "angle"), value);
    }
    int references = 0;

private:
    void Name(const char* method)
    {
        char name[40] = {};
        int at = 0;
        for (const char* c = kind; *c != 0; ++c)
            name[at++] = *c;
        name[at++] = '.';
        for (const char* c = method; *c != 0 && at < 39; ++c)
            name[at++] = *c;
        counts->See(name);
    }
    Counts* counts = nullptr;
    const char* kind = "";
};

class Factory final : public IValueParserFactory
{
public:
    explicit Factory(Counts& hostCounts) : counts(hostCounts) {}
    void AddRef() override { ++references; }
    bool Release() override
    {
        counts.See("factory.Release");
        return --references == 0;
    }
    IValueParser* GetAngleParser(int) override { return Give("factory.GetAngleParser", 0); }
    IValueParser* GetDistanceParser(int) override { return Give("factory.GetDistanceParser", 1); }
    IValueParser* GetPressureParser(int) override { return Give("factory.GetPressureParser", 2); }
    IValueParser* GetTemperatureParser(int) override
    {
        return Give("factory.GetTemperatureParser", 3);
    }

    // References the plug-in still holds on the factory and every parser it was given.
    int Held() const
    {
        int held = references;
        for (const Parser& parser : parsers)
            held += parser.references;
        return held;
    }
    int references = 0;

private:
    IValueParser* Give(const char* name, int index)
    {
        static const char* const kinds[] = {"angle", "distance", "pressure", "temperature"};
        counts.See(name);
        parsers[index].Start(counts, kinds[index]);
        return &parsers[index];
    }
    Counts& counts;
    Parser parsers[4];
};

class Extension final : public ISinkExtension
{
public:
    explicit Extension(Counts& hostCounts) : counts(hostCounts) {}
    void SetDescription(const wchar_t*) override { counts.See("extension.SetDescription"); }
    void SetObservationTime(const wchar_t*) override { counts.See("extension.SetObservationTime"); }
    void AddImageNote(const wchar_t*) override { counts.See("extension.AddImageNote"); }

private:
    Counts& counts;
};

// What the host application could do in a callback: cancel the import by throwing.
struct ImportCancelled
{
    int reason;
};

class Sink final : public IImportSink
{
public:
    Counts counts;
    Factory factory{counts};
    Extension extension{counts};
    bool throwAtWarning = false;

    // What the sink heard for one file, by the order of BeginFile.
    struct File
    {
        int fileResult = 0;
        bool error = false;
        bool errorHasText = false;
        int progress100 = 0;
    } files[4];
    int fileCount = 0;

    IValueParserFactory* GetValueParserFactory() override
    {
        counts.See("GetValueParserFactory");
        factory.references = 1;
        return &factory;
    }
    void BeginFile(const wchar_t*) override
    {
        counts.See("BeginFile");
        if (fileCount < 4)
            files[fileCount] = File{};
        ++fileCount;
    }
    void SetFileResult(int result) override
    {
        counts.See("SetFileResult");
        Current().fileResult = result;
    }
    void ReportWarning(const wchar_t*) override
    {
        counts.See("ReportWarning");
        if (throwAtWarning)
            throw ImportCancelled{17};
    }
    void ReportError(const wchar_t* text) override
    {
        counts.See("ReportError");
        Current().error = true;
        Current().errorHasText = text != nullptr && *text != 0;
    }
    void SetProgress(float percent) override
    {
        counts.See("SetProgress");
        Current().progress100 += percent == 100.0f;
    }
    ISinkExtension* GetExtension(int) override
    {
        counts.See("GetExtension");
        return &extension;
    }
    void AddPoint(const wchar_t*) override { counts.See("AddPoint"); }
    void SetNorthing(double) override { counts.See("SetNorthing"); }
    void SetEasting(double) override { counts.See("SetEasting"); }
    void SetElevation(double) override { counts.See("SetElevation"); }
    void SetPlanType(int) override { counts.See("SetPlanType"); }
    void SetHeightType(int) override { counts.See("SetHeightType"); }
    void SetPointCode(const wchar_t*) override { counts.See("SetPointCode"); }
    void SetStation(const wchar_t*) override { counts.See("SetStation"); }
    void SetDate(const wchar_t*) override { counts.See("SetDate"); }
    void SetInstrumentHeight(double) override { counts.See("SetInstrumentHeight"); }
    void SetTargetPoint(const wchar_t*) override { counts.See("SetTargetPoint"); }
    void SetPressure(double) override { counts.See("SetPressure"); }
    void SetDryTemperature(double) override { counts.See("SetDryTemperature"); }
    void SetZenithAngle(double) override { counts.See("SetZenithAngle"); }
    void SetHorizontalAngle(double) override { counts.See("SetHorizontalAngle"); }
    void SetTargetHeight(double) override { counts.See("SetTargetHeight"); }
    void SetSlopeDistance(double) override { counts.See("SetSlopeDistance"); }
    void SetFace(int) override { counts.See("SetFace"); }

private:
    File& Current() { return files[fileCount > 0 && fileCount <= 4 ? fileCount - 1 : 0]; }
};

class Paths final : public IEnumerator<const wchar_t*>
{
public:
    Paths(const wchar_t* first, const wchar_t* second = nullptr) : paths{first, second}
    {
        count = second != nullptr ? 2 : 1;
    }
    bool HasCurrent() override { return position < count; }
    void MoveNext() override { position += position < count; }
    const wchar_t* GetCurrent() override { return paths[position]; }
    void Reset() override { position = 0; }

private:
    const wchar_t* paths[2];
    int count;
    int position = 0;
};

class Settings final : public ISettingsReader, public ISettingsWriter
{
public:
    int stored = 1;
    int written = -1;
    bool keyMatched = false;
    int ReadInt(const wchar_t* key, int) override
    {
        keyMatched = Same(key, L"ConsiderPrismConstant");
        return stored;
    }
    bool WriteInt(const wchar_t* key, int value) override
    {
        keyMatched = Same(key, L"ConsiderPrismConstant");
        written = value;
        return true;
    }
};

class View final : public IPropertyListView
{
public:
    bool captionMatched = false;
    bool labelMatched = false;
    int ids[4] = {};
    int itemCount = 0;
    int selected = -1;
    IComboItem* kept = nullptr;
    int chosen = 0;

    void AddCategory(const wchar_t* caption) override
    {
        captionMatched = Same(caption, L"\u041D\u0430\u0441\u0442\u0440\u043E\u0439\u043A\u0430");
    }
    bool AddComboProperty(int, bool, const wchar_t* label, IEnumerator<IComboItem*>* items,
                          int selectedId) override
    {
        labelMatched = Same(label, L"\u041F\u043E\u0441\u0442\u043E\u044F\u043D\u043D\u0430\u044F "
                                   L"\u043F\u0440\u0438\u0437\u043C\u044B");
        selected = selectedId;
        itemCount = 0;
        for (; items->HasCurrent(); items->MoveNext())
        {
            IComboItem* item = items->GetCurrent();
            if (itemCount < 4)
                ids[itemCount] = item->GetId();
            ++itemCount;
            if (kept == nullptr)
            {
                item->AddRef();
                kept = item;
            }
        }
        return true;
    }
    void GetComboValue(int, int* value) override { *value = chosen; }
};

// ---- The checks ----------------------------------------------------------------------------

void CheckIdentity(IGroundBasedMIP* plugin)
{
    static const unsigned char kId[16] = {0xA8, 0x9F, 0x70, 0xF7, 0xFD, 0xB5, 0x8D, 0x4A,
                                          0xA7, 0xB9, 0xF7, 0xEA, 0x17, 0x77, 0xA1, 0x4B};
    const GUID id = plugin->GetId();
    const auto* bytes = reinterpret_cast<const unsigned char*>(&id);
    bool same = true;
    for (int i = 0; i < 16; ++i)
        same = same && bytes[i] == kId[i];
    Check(same, "GetId returns the plug-in's identifier by value");
    Check(plugin->GetVersion() == 1, "GetVersion is 1 after GetId");
    CheckText(plugin->GetName(), L"HexagonLandXML", "GetName");
    CheckText(plugin->GetFormatName(), L"HexagonLandXML", "GetFormatName");
    CheckText(plugin->GetFileFilter(), L"*.xml", "GetFileFilter");
}

void CheckReferences(IGroundBasedMIP* plugin)
{
    plugin->AddRef();
    Check(!plugin->Release(), "Release of a second reference keeps the object");
    for (int kind = 0; kind <= 2; ++kind)
    {
        Check(plugin->GetInterface(kind) == plugin, "GetInterface(0..2) returns the object");
        Check(!plugin->Release(), "GetInterface(0..2) adds a reference");
    }
    Check(plugin->GetInterface(3) == nullptr, "GetInterface(3) is null");
}

void CheckSettings(IGroundBasedMIP* plugin)
{
    Settings settings;
    settings.stored = 0;
    plugin->LoadSettings(&settings);
    Check(settings.keyMatched, "LoadSettings reads ConsiderPrismConstant");
    Check(plugin->SaveSettings(&settings) && settings.written == 0,
          "a stored 0 is saved as 0, and the writer's result is passed on");
    settings.stored = 1;
    plugin->LoadSettings(&settings);
    Check(plugin->SaveSettings(&settings) && settings.written == 1, "a stored 1 is saved as 1");
}

void CheckPropertyList(IGroundBasedMIP* plugin)
{
    IPropertyListViewController* controller = plugin->GetPropertyListController();
    View view;
    controller->FillPropertyList(&view);
    Check(view.captionMatched, "the property list's caption");
    Check(view.labelMatched, "the prism constant's label");
    Check(view.itemCount == 2 && view.ids[0] == 1 && view.ids[1] == 0,
          "two combo items, ids 1 and 0");
    Check(view.selected == 1, "the setting's choice is selected");
    Check(view.kept != nullptr, "a combo item was kept");
    if (view.kept != nullptr)
    {
        Check(view.kept->GetId() == 1, "the kept item lives on after FillPropertyList");
        CheckText(view.kept->GetText(), L"\u0423\u0447\u0438\u0442\u044B\u0432\u0430\u0442\u044C",
                  "the kept item's text");
        Check(view.kept->Release(), "the host's release destroys the kept item");
    }
    Check(controller->CanApply() && controller->CanClose(), "CanApply and CanClose");
    view.chosen = 0;
    Check(!controller->ApplyChanges(), "choosing id 0 turns the setting off");
    view.chosen = 1;
    Check(controller->ApplyChanges(), "choosing id 1 turns it on again");
    controller->Close();
}

void CheckExampleImport(IGroundBasedMIP* plugin, const wchar_t* example, const Counts& trace,
                        const char* what)
{
    Sink sink;
    sink.counts = trace;
    Paths paths(example);
    plugin->Import(&paths, &sink);
    Check(sink.counts.Match(what), what);
    Check(sink.factory.Held() == 0, "the example's import releases the factory and the parsers");
}

// The host survives a file too large to read: it is reported, and the next file imports.
void CheckHugeFile(IGroundBasedMIP* plugin, const wchar_t* huge, const wchar_t* example)
{
    Sink sink;
    Paths paths(huge, example);
    bool raised = false;
    try
    {
        plugin->Import(&paths, &sink);
    }
    catch (...)
    {
        raised = true;
    }
    Check(!raised, "no exception leaves Import for a file too large to read");
    Check(sink.fileCount == 2, "both files were begun");
    const Sink::File& big = sink.files[0];
    Check(big.fileResult == -1, "the huge file gets SetFileResult(-1)");
    Check(big.error && big.errorHasText, "the huge file gets a ReportError with a text");
    Check(big.progress100 == 1, "the huge file gets SetProgress(100)");
    Check(!sink.files[1].error && sink.files[1].progress100 == 1, "the example imports after it");
    Check(sink.factory.Held() == 0, "every parser reference is back to 0");
}

// A host's exception thrown from its callback reaches its catch unchanged; the plug-in let go of
// what it held for the import (the parsers, and the file, which can be deleted now).
void CheckThrowingHost(IGroundBasedMIP* plugin, const wchar_t* copy)
{
    Sink sink;
    sink.throwAtWarning = true;
    Paths paths(copy);
    int reason = 0;
    try
    {
        plugin->Import(&paths, &sink);
    }
    catch (const ImportCancelled& cancelled)
    {
        reason = cancelled.reason;
    }
    catch (...)
    {
        reason = -1;
    }
    Check(reason == 17, "the host's exception reaches its catch unchanged");
    Check(sink.factory.Held() == 0, "every parser reference is back to 0 after the host's throw");
    Check(DeleteFileW(copy) != 0, "the file is closed after the host's throw");
}

// The process's committed memory. PagefileUsage, as Wine reports PrivateUsage as 0.
bool ReadCommittedMemory(size_t* bytes)
{
    ProcessMemoryCounters counters = {};
    counters.size = sizeof counters;
    if (K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, counters.size) == 0)
        return false;
    *bytes = counters.pagefileUsage;
    return true;
}

// A host that cancels from ReportWarning, time after time, on a file whose image paths and warning
// text are too long for a string's own buffer: every cancellation reaches the host, and the texts
// the plug-in made for the warning are released as the exception passes, so memory stays flat.
void CheckThrowingWarningsReleaseMemory(IGroundBasedMIP* plugin, const wchar_t* document)
{
    // The first imports may allocate what the plug-in or the runtimes keep for the process.
    constexpr int kWarmUps = 20;
    constexpr int kImports = 5000;
    constexpr long long kLimitKiB = 1024;
    Sink sink;
    sink.throwAtWarning = true;
    const auto importAll = [&](int imports)
    {
        int caught = 0;
        for (int i = 0; i < imports; ++i)
        {
            Paths paths(document);
            try
            {
                plugin->Import(&paths, &sink);
            }
            catch (const ImportCancelled& cancelled)
            {
                caught += cancelled.reason == 17;
            }
            catch (...)
            {
            }
        }
        return caught;
    };
    Check(importAll(kWarmUps) == kWarmUps, "every warm-up import's exception reaches the host");
    size_t before = 0;
    size_t after = 0;
    const bool measured = ReadCommittedMemory(&before);
    const int caught = importAll(kImports);
    Check(measured && ReadCommittedMemory(&after), "K32GetProcessMemoryInfo answers");
    Check(caught == kImports, "each of the 5,000 imports' exceptions reaches the host's catch");
    const long long growthKiB =
        (static_cast<long long>(after) - static_cast<long long>(before)) / 1024;
    printf("  committed memory over %d imports whose ReportWarning throws: %+lld KiB\n", kImports,
           growthKiB);
    Check(growthKiB < kLimitKiB, "committed memory grows by less than 1 MiB over the imports "
                                 "whose ReportWarning throws");
}

// A document of one image, missing under both paths the plug-in looks for beside it, each longer
// than 200 characters: "<location>/<name>.jpg" and "Images/<name>.jpg".
// A new file at path, open for writing; null when it cannot be made.
void* CreateForWriting(const wchar_t* path)
{
    constexpr unsigned long kWrite = 0x40000000;
    constexpr unsigned long kCreateAlways = 2;
    void* file = CreateFileW(path, kWrite, 0, nullptr, kCreateAlways, 0, nullptr);
    return file == reinterpret_cast<void*>(-1) ? nullptr : file;
}

bool MakeLongImageDocument(const wchar_t* path)
{
    struct Bytes
    {
        char data[1024];
        unsigned long size = 0;
        void Add(const char* text)
        {
            for (; *text != 0 && size < sizeof data; ++text)
                data[size++] = *text;
        }
        void Repeat(char c, int count)
        {
            for (; count > 0 && size < sizeof data; --count)
                data[size++] = c;
        }
    } bytes;
    bytes.Add("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<LandXML xmlns=\"http://www.landxml.org/schema/LandXML-1.2\" "
              "xmlns:landxml=\"http://www.landxml.org/schema/LandXML-1.2\" version=\"1.2\">\n"
              "  <Units><Metric linearUnit=\"meter\" angularUnit=\"decimal dd.mm.ss\"/></Units>\n"
              "  <HexagonLandXML version=\"1.8\">\n"
              "    <Point uniqueID=\"101_");
    // The point's id, alive while its images are looked for, is long too.
    bytes.Repeat('p', 150);
    bytes.Add("\" subclass=\"TPS\">\n"
              "      <OnboardImages>\n"
              "        <landxml:DocFileRef name=\"IMG_");
    bytes.Repeat('n', 200);
    bytes.Add("\" location=\"photos_");
    bytes.Repeat('f', 120);
    bytes.Add("\" fileFormat=\"jpg\"/>\n"
              "      </OnboardImages>\n"
              "    </Point>\n"
              "  </HexagonLandXML>\n"
              "</LandXML>\n");
    void* file = CreateForWriting(path);
    if (file == nullptr)
        return false;
    unsigned long written = 0;
    const bool made = bytes.size < sizeof bytes.data &&
                      WriteFile(file, bytes.data, bytes.size, &written, nullptr) != 0 &&
                      written == bytes.size;
    CloseHandle(file);
    return made;
}

bool MakeHugeFile(const wchar_t* path)
{
    void* file = CreateForWriting(path);
    if (file == nullptr)
        return false;
    unsigned long written = 0;
    const char start[] = "<LandXML>";
    // Extending the file writes nothing: the file system keeps it sparse.
    const bool made = WriteFile(file, start, sizeof start - 1, &written, nullptr) != 0 &&
                      SetFilePointerEx(file, 1LL << 40, nullptr, 0) != 0 && SetEndOfFile(file) != 0;
    CloseHandle(file);
    return made;
}

int Run(const wchar_t* dllPath, const wchar_t* example, const wchar_t* tracePath)
{
    Counts trace;
    if (!ReadTrace(tracePath, trace))
    {
        printf("FAILED: cannot read the trace\n");
        return 1;
    }
    void* module = LoadLibraryW(dllPath);
    if (module == nullptr)
    {
        printf("FAILED: LoadLibraryW, error %lu\n", GetLastError());
        return 1;
    }
    using Create = IGroundBasedMIP* (*)();
    const auto create = reinterpret_cast<Create>(GetProcAddress(module, "CreatePlugin"));
    IGroundBasedMIP* plugin = create != nullptr ? create() : nullptr;
    Check(plugin != nullptr, "CreatePlugin returns an object");
    if (plugin == nullptr)
        return 1;

    static wchar_t folder[260];
    static wchar_t huge[300];
    static wchar_t copy[300];
    static wchar_t longImages[300];
    GetTempPathW(260, folder);
    Copy(huge, 300, folder, L"msvc-host-huge.xml");
    Copy(copy, 300, folder, L"msvc-host-example.xml");
    Copy(longImages, 300, folder, L"msvc-host-long-images.xml");

    CheckReferences(plugin);
    CheckIdentity(plugin);
    CheckSettings(plugin);
    CheckPropertyList(plugin);
    CheckExampleImport(plugin, example, trace, "the example imports as its trace counts");
    if (MakeHugeFile(huge))
        CheckHugeFile(plugin, huge, example);
    else
        Check(false, "a sparse file of 1 TiB can be made");
    DeleteFileW(huge);
    if (CopyFileW(example, copy, 0) != 0)
        CheckThrowingHost(plugin, copy);
    else
        Check(false, "the example can be copied");
    if (MakeLongImageDocument(longImages))
        CheckThrowingWarningsReleaseMemory(plugin, longImages);
    else
        Check(false, "a document of long image paths can be written");
    DeleteFileW(longImages);
    CheckExampleImport(plugin, example, trace, "the example imports again after the host's throw");
    Check(plugin->Release(), "the last Release destroys the plug-in");
    FreeLibrary(module);
    return failures == 0 ? 0 : 1;
}

} // namespace

extern "C" void Start()
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    int status = 1;
    if (arguments == nullptr || count != 4)
        printf("usage: msvc-host HexagonLandXML.dll EXAMPLE.xml EXAMPLE.trace\n");
    else
        status = Run(arguments[1], arguments[2], arguments[3]);
    if (status == 0)
        printf("MSVC-ABI host: all checks passed\n");
    else
        printf("MSVC-ABI host: %d check(s) failed\n", failures);
    fflush(nullptr);
    ExitProcess(static_cast<unsigned>(status));
}
