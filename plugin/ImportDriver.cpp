#include "plugin/ImportDriver.h"

#include "import/LandXMLImporter.h"
#include "platform/Platform.h"
#include "plugin/StringTable.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <vector>

namespace Plugin
{
namespace
{

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

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

// The file's bytes followed by one zero byte. A file whose size cannot be held raises the
// allocation failure.
std::unique_ptr<char[]> ReadWholeFile(std::FILE* file)
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
        std::unique_ptr<char[]> buffer(new char[capacity]);
        const std::size_t read = ReadInto(file, buffer.get(), size);
        std::memset(buffer.get() + read, 0, capacity - read);
        return buffer;
    }
    // No size to be had: read what the stream gives, still ending in a zero byte.
    std::vector<char> bytes;
    char piece[65536];
    std::size_t got = 0;
    while ((got = std::fread(piece, 1, sizeof piece, file)) != 0)
        bytes.insert(bytes.end(), piece, piece + got);
    std::unique_ptr<char[]> buffer(new char[bytes.size() + 1]());
    if (!bytes.empty())
        std::memcpy(buffer.get(), bytes.data(), bytes.size());
    return buffer;
}

} // namespace

void ImportFile(const WideString& path, IImportSink& sink, const bool* considerPrismConstant)
{
    sink.BeginFile(path.c_str());
    const FileHandle file(Platform::OpenSharedForReading(path));
    if (!file)
    {
        const WideString message = LoadText(TextCannotOpenFile);
        sink.ReportError(message.c_str());
        return;
    }
    const std::unique_ptr<char[]> buffer = ReadWholeFile(file.get());
    CLandXMLImporter importer(&sink, considerPrismConstant, path);
    importer.ParseDocument(buffer.get());
    sink.SetProgress(100.0f);
}

void ImportFiles(IPathEnumerator& paths, IImportSink& sink, const bool* considerPrismConstant)
{
    paths.Reset();
    while (paths.HasCurrent())
    {
        // The host's text is copied at once; a null item stands for an empty path.
        const WideChar* current = paths.GetCurrent();
        const WideString path = current != nullptr ? WideString(current) : WideString();
        ImportFile(path, sink, considerPrismConstant);
        paths.MoveNext();
    }
}

} // namespace Plugin
