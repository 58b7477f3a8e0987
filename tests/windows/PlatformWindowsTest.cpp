// The Windows platform layer against the real system: the module's string table (this program
// carries the plug-in's own resource script), code-page conversion, BSTRs, shared file reading
// and the path test. Run with LC_ALL=ru_RU.UTF-8 under Wine, so that the thread's ANSI code page
// is 1251 as on a Russian Windows.

#include <windows.h>

#include <oleauto.h>

#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

namespace
{

using Platform::CodePage;
using Platform::WideString;

std::string Hex(const WideString& text)
{
    std::string out;
    char unit[8];
    for (const wchar_t c : text)
    {
        std::snprintf(unit, sizeof unit, "%s%04X", out.empty() ? "" : " ",
                      static_cast<unsigned>(c));
        out += unit;
    }
    return out;
}

// The folder of this program, where the build puts the plug-in DLL too.
WideString ProgramFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    WideString folder(path, length < MAX_PATH ? length : 0);
    return folder.substr(0, folder.rfind(L'\\') + 1);
}

TEST(StringResource, LoadsEachRussianTextOfTheTable)
{
    const std::pair<unsigned, const wchar_t*> cases[] = {
        {101, L"Не удается открыть файл"},
        {102, L"Ошибка в формате файла"},
        {103, L"Настройка"},
        {104, L"Учитывать"},
        {105, L"Не учитывать"},
        {106, L"Постоянная призмы"},
    };
    for (const auto& [id, expected] : cases)
    {
        std::wstring_view text;
        EXPECT_TRUE(Platform::LoadStringResource(id, text)) << id;
        EXPECT_EQ(Hex(WideString(text)), Hex(expected)) << id;
    }
}

TEST(StringResource, IdsOutsideTheTableAreNotFound)
{
    const unsigned cases[] = {
        100,
        107,
        111, // the block of the table, empty entries
        96,
        112,
        0,
        1,
        200,                // blocks the module does not have
        101 + 0x10000 * 16, // the 16-bit block number of this id would be the table's
        0xFFFFFFFFu,
    };
    for (const unsigned id : cases)
    {
        std::wstring_view text;
        EXPECT_FALSE(Platform::LoadStringResource(id, text)) << id;
    }
}

// The resources as the host finds them in the DLL: the string table is Russian (1049), the
// neutral-language lookup finds it, and the version information describes the module.
TEST(DllResources, StringTableIsRussianAndVersionDescribesTheModule)
{
    const WideString dll = ProgramFolder() + L"HexagonLandXML.dll";
    const HMODULE module = ::LoadLibraryExW(dll.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << ::GetLastError();
    const LPCWSTR stringType = MAKEINTRESOURCEW(6); // RT_STRING
    const LPCWSTR tableBlock = MAKEINTRESOURCEW(101 / 16 + 1);
    EXPECT_NE(::FindResourceExW(module, stringType, tableBlock,
                                MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT)),
              nullptr);
    // The one language there is: the neutral-language lookup falls back to it.
    EXPECT_EQ(::FindResourceExW(module, stringType, tableBlock,
                                MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)),
              ::FindResourceExW(module, stringType, tableBlock,
                                MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT)));
    ::FreeLibrary(module);

    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(dll.c_str(), &ignored);
    ASSERT_GT(size, 0u) << ::GetLastError();
    std::vector<unsigned char> info(size);
    ASSERT_TRUE(::GetFileVersionInfoW(dll.c_str(), 0, size, info.data()));

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    WORD translation[2];
    std::memcpy(translation, value, sizeof translation);
    EXPECT_EQ(translation[0], 0x0419);
    EXPECT_EQ(translation[1], 1200); // UTF-16

    const std::pair<const wchar_t*, const wchar_t*> strings[] = {
        {L"FileDescription", L"Модуль импорта данных"},
        {L"ProductName", L"HexagonLandXML"},
        {L"OriginalFilename", L"HexagonLandXML.dll"},
    };
    for (const auto& [name, expected] : strings)
    {
        const WideString key = WideString(L"\\StringFileInfo\\041904b0\\") + name;
        ASSERT_TRUE(::VerQueryValueW(info.data(), key.c_str(), &value, &length)) << Hex(name);
        EXPECT_EQ(Hex(static_cast<const wchar_t*>(value)), Hex(expected)) << Hex(name);
    }

    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, value, sizeof fixed);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_DLL));
}

struct Conversion
{
    const char* name;
    CodePage codePage;
    const char* bytes;
    std::vector<wchar_t> expected;
};

// UTF-8 and, with the Russian locale, Windows-1251, with no conversion flags: malformed UTF-8
// becomes U+FFFD instead of failing the call. The 1251 rows are what the Linux stand-in's table
// gives too; a difference means that table is wrong.
TEST(MultiByteToWide, ConvertsUnderEachCodePage)
{
    const Conversion cases[] = {
        {"utf8 A", CodePage::Utf8, "\xD0\x90", {0x0410}},
        {"utf8 lone FF", CodePage::Utf8, "\xFF", {0xFFFD}},
        {"utf8 cut sequence", CodePage::Utf8, "a\xD0", {L'a', 0xFFFD}},
        {"utf8 astral", CodePage::Utf8, "\xF0\x9F\x98\x80", {0xD83D, 0xDE00}},
        {"ansi A as 1251", CodePage::ThreadAnsi, "\xD0\x90", {0x0420, 0x0452}},
        {"ansi 98 unassigned", CodePage::ThreadAnsi, "\x98", {0x0098}},
        {"ansi C0 FF", CodePage::ThreadAnsi, "\xC0\xFF", {0x0410, 0x044F}},
        {"ansi 88 euro", CodePage::ThreadAnsi, "\x88", {0x20AC}},
        {"ansi B9 numero", CodePage::ThreadAnsi, "\xB9", {0x2116}},
        {"ansi A8 B8 yo", CodePage::ThreadAnsi, "\xA8\xB8", {0x0401, 0x0451}},
    };
    for (const Conversion& c : cases)
    {
        const int byteCount = static_cast<int>(std::strlen(c.bytes));
        wchar_t out[16] = {};
        const int needed = Platform::MultiByteToWide(c.codePage, c.bytes, byteCount, nullptr, 0);
        EXPECT_EQ(needed, static_cast<int>(c.expected.size())) << c.name;
        const int written = Platform::MultiByteToWide(c.codePage, c.bytes, byteCount, out, 16);
        ASSERT_GT(written, 0) << c.name << ": error " << Platform::SystemError();
        EXPECT_EQ(Hex(WideString(out, static_cast<std::size_t>(written))),
                  Hex(WideString(c.expected.begin(), c.expected.end())))
            << c.name;
    }
}

TEST(MultiByteToWide, TooSmallBufferFailsWithInsufficientBuffer)
{
    wchar_t out[1] = {};
    for (const CodePage codePage : {CodePage::Utf8, CodePage::ThreadAnsi})
    {
        EXPECT_EQ(Platform::MultiByteToWide(codePage, "\xD0\x90\xD0\x91", 4, out, 1), 0);
        EXPECT_EQ(Platform::SystemError(), Platform::kErrorInsufficientBuffer);
    }
}

TEST(Bstr, AllocatedTextCarriesItsByteLength)
{
    const wchar_t* cases[] = {L"", L"HexagonLandXML", L"*.xml", L"Постоянная призмы"};
    for (const wchar_t* text : cases)
    {
        const Plugin::BSTR copy = Platform::AllocateBstr(text);
        ASSERT_NE(copy, nullptr);
        EXPECT_NE(copy, text);
        std::uint32_t prefix = 0;
        std::memcpy(&prefix, reinterpret_cast<const char*>(copy) - sizeof prefix, sizeof prefix);
        EXPECT_EQ(prefix, std::wcslen(text) * sizeof(wchar_t)) << Hex(text);
        EXPECT_EQ(::SysStringByteLen(copy), prefix) << Hex(text);
        EXPECT_EQ(Hex(copy), Hex(text));
        ::SysFreeString(copy);
    }
}

// A fresh folder under the temporary folder, removed with what the test left in it.
class TemporaryFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        const DWORD length = ::GetTempPathW(MAX_PATH, temp);
        ASSERT_GT(length, 0u);
        folder = WideString(temp, length) + L"landxml-platform-" +
                 std::to_wstring(::GetCurrentProcessId());
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr)) << ::GetLastError();
        folder += L'\\';
    }

    void TearDown() override
    {
        for (const WideString& file : files)
            ::DeleteFileW(file.c_str());
        ::RemoveDirectoryW(folder.substr(0, folder.size() - 1).c_str());
    }

    WideString MakeFile(const wchar_t* name, const std::string& content)
    {
        const WideString path = folder + name;
        const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return WideString();
        files.push_back(path);
        DWORD written = 0;
        ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        ::CloseHandle(file);
        return written == content.size() ? path : WideString();
    }

    static std::string ReadAll(std::FILE* file)
    {
        std::string content;
        char buffer[256];
        std::size_t count;
        while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            content.append(buffer, count);
        return content;
    }

    WideString folder; // ends with a backslash
    std::vector<WideString> files;
};

using OpenSharedForReading = TemporaryFolder;

TEST_F(OpenSharedForReading, OpensRegularFilesOnly)
{
    const std::string content = "<LandXML/>\r\n\x1A\xFF";
    const WideString latin = MakeFile(L"plain.xml", content);
    const WideString cyrillic = MakeFile(L"Съёмка участка.xml", content);
    ASSERT_FALSE(latin.empty());
    ASSERT_FALSE(cyrillic.empty());

    for (const WideString& path : {latin, cyrillic})
    {
        std::FILE* file = Platform::OpenSharedForReading(path.c_str());
        ASSERT_NE(file, nullptr) << Hex(path);
        std::uint64_t size = 0;
        EXPECT_TRUE(Platform::FileSize(file, size));
        EXPECT_EQ(size, content.size());
        EXPECT_EQ(ReadAll(file), content) << "binary, from the start, after FileSize";
        std::fclose(file);
    }

    const WideString notRegular[] = {
        folder + L"missing.xml", folder.substr(0, folder.size() - 1), // the folder itself
        folder, // the folder, with its separator
        L"NUL", // a character device
    };
    for (const WideString& path : notRegular)
    {
        std::FILE* file = Platform::OpenSharedForReading(path.c_str());
        EXPECT_EQ(file, nullptr) << Hex(path);
        if (file != nullptr)
            std::fclose(file);
    }
}

// The host or another program may hold the file open for writing while it is imported, and may
// go on writing while the plug-in reads.
TEST_F(OpenSharedForReading, DeniesOthersNeitherReadNorWrite)
{
    const WideString path = MakeFile(L"shared.xml", "<LandXML/>");
    ASSERT_FALSE(path.empty());
    const HANDLE writer =
        ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    std::FILE* file = Platform::OpenSharedForReading(path.c_str());
    EXPECT_NE(file, nullptr) << "open while another handle writes";

    const HANDLE secondWriter = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(secondWriter, INVALID_HANDLE_VALUE) << "a writer can open while the import reads";
    if (secondWriter != INVALID_HANDLE_VALUE)
        ::CloseHandle(secondWriter);
    if (file != nullptr)
        std::fclose(file);
    ::CloseHandle(writer);
}

using PathExists = TemporaryFolder;

TEST_F(PathExists, FindsFilesAndFoldersOnly)
{
    const WideString file = MakeFile(L"точка.xml", "x");
    ASSERT_FALSE(file.empty());
    const std::pair<WideString, bool> cases[] = {
        {file, true},
        {folder + L"plain.xml", false},
        {folder.substr(0, folder.size() - 1), true},
        {folder + L"missing\\точка.xml", false},
    };
    for (const auto& [path, exists] : cases)
        EXPECT_EQ(Platform::PathExists(path.c_str()), exists) << Hex(path);
}

} // namespace

TEST(SystemErrorText, GivesTheSystemsMessageWithoutItsLineBreak)
{
    // Under LC_ALL=ru_RU.UTF-8 Wine answers in Russian; the neutral language takes the user's.
    const std::int32_t withText[] = {static_cast<std::int32_t>(0x8007000E),
                                     static_cast<std::int32_t>(0x80004005),
                                     static_cast<std::int32_t>(0x80070057)};
    for (const std::int32_t code : withText)
    {
        wchar_t text[512];
        ASSERT_TRUE(Platform::SystemErrorText(code, text, 512)) << std::hex << code;
        const std::size_t length = std::wcslen(text);
        EXPECT_GT(length, 0u) << std::hex << code;
        EXPECT_TRUE(text[length - 1] != L'\n' && text[length - 1] != L'\r') << std::hex << code;
    }
    wchar_t text[512];
    EXPECT_FALSE(Platform::SystemErrorText(static_cast<std::int32_t>(0xE0DE0001), text, 512))
        << "a code of no system component";
    EXPECT_FALSE(Platform::SystemErrorText(static_cast<std::int32_t>(0x8007000E), text, 0));
}
