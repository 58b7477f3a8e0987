#include "plugin/ImportDriver.h"

#include "document/StringTable.h"
#include "import/HostBoundary.h"
#include "import/LandXMLImporter.h"
#include "platform/HResultError.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace Plugin
{
namespace
{

// The file being read; closed when it ends, or as a host's exception passes.
struct OpenFile
{
    explicit OpenFile(std::FILE* opened) : file(opened) {}
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile()
    {
        if (file != nullptr)
            std::fclose(file);
    }

    std::FILE* file;
    Held held{*this};
};

// A block of the import's memory.
struct MemoryFree
{
    void operator()(char* block) const { ImportMemory::Free(block); }
};
using Buffer = std::unique_ptr<char, MemoryFree>;

// Reads at most size bytes in pieces a 32-bit C runtime can take; returns how many were read.
std::size_t ReadInto(std::FILE* file, char* buffer, std::uint64_t size)
{
    constexpr std::size_t kPiece = std::size_t{1} << 30;
    std::size_t done = 0;
    while (done < size)
    {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, size - done));
        const std::size_t got = std::fread(buffer + done, 1, want, file);
        done += got;
        if (got < want)
            break;
    }
    return done;
}

// A file's bytes, followed by one zero byte that size does not count.
struct FileBytes
{
    Buffer bytes;
    std::size_t size = 0;
};

// The whole file. A file whose size cannot be held raises the allocation failure.
FileBytes ReadWholeFile(std::FILE* file)
{
    std::uint64_t size = 0;
    if (Platform::FileSize(file, size))
    {
        if (size >= std::numeric_limits<std::size_t>::max() ||
            size >= static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max()))
            throw std::bad_alloc();
        // Not cleared first: the read fills it, and a file that shrank meanwhile leaves only zeros
        // after what was read.
        const std::size_t capacity = static_cast<std::size_t>(size) + 1;
        Buffer buffer(static_cast<char*>(ImportMemory::Allocate(capacity)));
        const std::size_t read = ReadInto(file, buffer.get(), size);
        std::memset(buffer.get() + read, 0, capacity - read);
        return {std::move(buffer), read};
    }
    // No size to be had: read what the stream gives, still ending in a zero byte.
    std::pmr::vector<char> bytes(ImportMemory::Resource());
    char piece[65536];
    std::size_t got = 0;
    while ((got = std::fread(piece, 1, sizeof piece, file)) != 0)
        bytes.insert(bytes.end(), piece, piece + got);
    Buffer buffer(static_cast<char*>(ImportMemory::Allocate(bytes.size() + 1)));
    if (!bytes.empty())
        std::memcpy(buffer.get(), bytes.data(), bytes.size());
    buffer.get()[bytes.size()] = 0;
    return {std::move(buffer), bytes.size()};
}

// An error's code in hexadecimal, as "0x8007000E", for a code the system has no text for.
void WriteCode(std::int32_t code, WideChar* text)
{
    static const char kDigits[] = "0123456789ABCDEF";
    const auto bits = static_cast<std::uint32_t>(code);
    text[0] = '0';
    text[1] = 'x';
    for (int digit = 0; digit < 8; ++digit)
        text[2 + digit] = static_cast<WideChar>(kDigits[(bits >> (28 - 4 * digit)) & 0xF]);
    text[10] = 0;
}

// The end of a file whose import failed. The text is made without heap memory: running out of
// memory is reported this way too.
void ReportFailure(IImportSink& sink, std::int32_t code)
{
    WideChar text[512];
    if (!Platform::SystemErrorText(code, text, std::size(text)))
        WriteCode(code, text);
    sink.SetFileResult(-1);
    sink.ReportError(text);
    sink.SetProgress(100.0f);
}

// BeginFile, read the file whole, parse and import it, progress 100. Its memory comes from the
// import's, and the file lists itself: a host's exception leaves nothing behind.
void ImportFileContents(const WideChar* current, IImportSink& sink,
                        const bool* considerPrismConstant, bool& begun)
{
    // The host's text is copied at once; a null item stands for an empty path.
    const WideText path(current != nullptr ? WideView(current) : WideView());
    begun = true;
    sink.BeginFile(path.c_str());
    const OpenFile opened(Platform::OpenSharedForReading(path.c_str()));
    if (opened.file == nullptr)
    {
        sink.ReportError(LoadText(TextCannotOpenFile).c_str());
        return;
    }
    const FileBytes contents = ReadWholeFile(opened.file);
    CLandXMLImporter importer(&sink, considerPrismConstant, path);
    importer.ParseDocument(contents.bytes.get(), contents.size);
    sink.SetProgress(100.0f);
}

} // namespace

void ImportFile(const WideChar* current, IImportSink& sink, const bool* considerPrismConstant)
{
    bool begun = false;
    bool failed = true;
    std::int32_t code = E_FAIL_HR;
    try
    {
        ImportFileContents(current, sink, considerPrismConstant, begun);
        failed = false;
    }
    catch (const HResultError& error)
    {
        code = error.Code();
    }
    catch (const std::bad_alloc&)
    {
        code = E_OUTOFMEMORY_HR;
    }
    catch (const std::exception&)
    {
        code = E_FAIL_HR;
    }
    // Reported once the file's state and the error itself are gone: the host may throw here.
    if (!failed)
        return;
    if (!begun) // not even the path could be copied
        sink.BeginFile(current != nullptr ? current : WIDE_TEXT(""));
    ReportFailure(sink, code);
}

void ImportFiles(IPathEnumerator& paths, IImportSink& sink, const bool* considerPrismConstant)
{
    paths.Reset();
    while (paths.HasCurrent())
    {
        ImportFile(paths.GetCurrent(), sink, considerPrismConstant);
        paths.MoveNext();
    }
}

} // namespace Plugin
