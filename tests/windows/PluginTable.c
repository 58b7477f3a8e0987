/* Calls the plug-in's primary table the way a host written in C would: the DLL loaded by
   LoadLibrary, CreatePlugin found by name, every slot called through a plain function pointer
   read from the table, with the object as the first argument (the one x64 calling convention).
   Nothing of the plug-in's C++ headers is used, so a slot the compiler placed or called
   differently from the host's layout shows up here. Prints each failure; exits non-zero on
   any. */

#include <windows.h>

#include <oleauto.h>
#include <stdbool.h>
#include <stdio.h>
#include <string.h>
#include <wchar.h>

typedef void (*Slot)(void); /* a table entry, cast to its real type before the call */

typedef void* (*CreatePluginFn)(void);
typedef void (*AddRefFn)(void* self);
typedef bool (*ReleaseFn)(void* self);
typedef void* (*GetInterfaceFn)(void* self, int kind);
typedef BSTR (*TextFn)(void* self);
typedef GUID* (*GetIdFn)(void* self, GUID* out);
typedef int (*GetVersionFn)(void* self);

enum
{
    kAddRef = 0,
    kRelease = 1,
    kGetInterface = 2,
    kGetName = 3,
    kGetId = 4,
    kGetVersion = 5,
    kGetFileFilter = 9,
    kGetFormatName = 10,
};

static int failures = 0;

static void Check(bool ok, const char* what)
{
    if (!ok)
    {
        ++failures;
        fprintf(stderr, "FAILED: %s\n", what);
    }
}

static Slot SlotOf(void* object, int index)
{
    Slot const* table = *(Slot const**)object;
    return table[index];
}

static void AddRef(void* object)
{
    ((AddRefFn)SlotOf(object, kAddRef))(object);
}

static bool Release(void* object)
{
    return ((ReleaseFn)SlotOf(object, kRelease))(object);
}

/* A text slot's BSTR: the expected characters and a byte-length prefix of twice their number.
   The string is freed as a host frees it. */
static void CheckText(void* object, int index, const wchar_t* expected, const char* what)
{
    char message[128];
    BSTR text = ((TextFn)SlotOf(object, index))(object);
    snprintf(message, sizeof message, "%s returns a text", what);
    Check(text != NULL, message);
    if (text == NULL)
        return;
    const UINT prefix = ((const UINT*)text)[-1];
    snprintf(message, sizeof message, "%s length prefix is %u bytes, got %u", what,
             (unsigned)(wcslen(expected) * sizeof(wchar_t)), prefix);
    Check(prefix == wcslen(expected) * sizeof(wchar_t), message);
    snprintf(message, sizeof message, "%s text", what);
    Check(wcscmp(text, expected) == 0, message);
    SysFreeString(text);
}

static void CheckIdentity(void* object)
{
    static const unsigned char kIdBytes[16] = {0xA8, 0x9F, 0x70, 0xF7, 0xFD, 0xB5, 0x8D, 0x4A,
                                               0xA7, 0xB9, 0xF7, 0xEA, 0x17, 0x77, 0xA1, 0x4B};
    /* The GUID goes to the caller's buffer, nowhere else: the bytes around it and the object's
       first bytes (its table pointer) stay as they were. */
    struct
    {
        unsigned char before[16];
        GUID id;
        unsigned char after[16];
    } out;
    unsigned char objectBefore[16];
    memset(&out, 0x5A, sizeof out);
    memcpy(objectBefore, object, sizeof objectBefore);

    GUID* result = ((GetIdFn)SlotOf(object, kGetId))(object, &out.id);
    Check(result == &out.id, "GetId returns the caller's buffer");
    Check(memcmp(&out.id, kIdBytes, sizeof kIdBytes) == 0,
          "GetId bytes are A8 9F 70 F7 FD B5 8D 4A A7 B9 F7 EA 17 77 A1 4B");
    unsigned char untouched[16];
    memset(untouched, 0x5A, sizeof untouched);
    Check(memcmp(out.before, untouched, sizeof untouched) == 0 &&
              memcmp(out.after, untouched, sizeof untouched) == 0,
          "GetId writes nothing beside the GUID");
    Check(memcmp(objectBefore, object, sizeof objectBefore) == 0,
          "GetId leaves the object unchanged");
}

static void CheckReferences(void* object)
{
    /* The object arrives with one reference. */
    AddRef(object);
    Check(!Release(object), "Release of the second reference keeps the object");

    GetInterfaceFn getInterface = (GetInterfaceFn)SlotOf(object, kGetInterface);
    for (int kind = 0; kind <= 2; ++kind)
    {
        char message[64];
        snprintf(message, sizeof message, "GetInterface(%d) returns the object", kind);
        Check(getInterface(object, kind) == object, message);
        snprintf(message, sizeof message, "GetInterface(%d) added a reference", kind);
        Check(!Release(object), message);
    }
    Check(getInterface(object, 3) == NULL, "GetInterface(3) returns null");
    Check(getInterface(object, -1) == NULL, "GetInterface(-1) returns null");
}

int main(void)
{
    /* The DLL beside this program, by full path: no search order can substitute another. */
    static const wchar_t kDllName[] = L"HexagonLandXML.dll";
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
    wchar_t* slash = length == 0 || length >= MAX_PATH ? NULL : wcsrchr(path, L'\\');
    if (slash == NULL || (size_t)(slash + 1 - path) + sizeof kDllName / sizeof(wchar_t) > MAX_PATH)
    {
        fprintf(stderr, "FAILED: cannot tell this program's folder\n");
        return 1;
    }
    memcpy(slash + 1, kDllName, sizeof kDllName);

    HMODULE module = LoadLibraryW(path);
    if (module == NULL)
    {
        fprintf(stderr, "FAILED: LoadLibrary(HexagonLandXML.dll), error %lu\n",
                (unsigned long)GetLastError());
        return 1;
    }
    CreatePluginFn create = (CreatePluginFn)(Slot)GetProcAddress(module, "CreatePlugin");
    if (create == NULL)
    {
        fprintf(stderr, "FAILED: GetProcAddress(CreatePlugin)\n");
        FreeLibrary(module);
        return 1;
    }

    void* plugin = create();
    Check(plugin != NULL, "CreatePlugin returns an object");
    if (plugin != NULL)
    {
        CheckReferences(plugin);
        CheckText(plugin, kGetName, L"HexagonLandXML", "GetName");
        CheckIdentity(plugin);
        /* Slots after GetId still work: the object survived the call. */
        Check(((GetVersionFn)SlotOf(plugin, kGetVersion))(plugin) == 1, "GetVersion is 1");
        CheckText(plugin, kGetFileFilter, L"*.xml", "GetFileFilter");
        CheckText(plugin, kGetFormatName, L"HexagonLandXML", "GetFormatName");
        CheckText(plugin, kGetName, L"HexagonLandXML", "GetName after GetId");

        BSTR first = ((TextFn)SlotOf(plugin, kGetName))(plugin);
        BSTR second = ((TextFn)SlotOf(plugin, kGetName))(plugin);
        Check(first != NULL && second != NULL && first != second,
              "each GetName call allocates a new text");
        SysFreeString(first);
        SysFreeString(second);

        Check(Release(plugin), "the last Release destroys the object");
    }
    FreeLibrary(module);

    if (failures != 0)
    {
        fprintf(stderr, "%d check(s) failed\n", failures);
        return 1;
    }
    printf("plug-in table: all checks passed\n");
    return 0;
}
