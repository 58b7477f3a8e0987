#include "tools/host/Files.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>

namespace Host
{

TempFolder::TempFolder()
{
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path = std::filesystem::temp_directory_path() /
           ("landxml-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path);
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::filesystem::path TempFolder::Child(const std::string& name) const
{
    return path / std::filesystem::u8path(name);
}

std::filesystem::path TempFolder::Write(const std::string& name, const std::string& bytes) const
{
    const std::filesystem::path file = Child(name);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
}

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace Host
