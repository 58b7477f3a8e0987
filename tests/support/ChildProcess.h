#pragma once

// Calls into the operating system that only the tests make, never the plug-in: one
// implementation per OS (ChildProcessLinux.cpp, ChildProcessWindows.cpp), chosen by the build.
// Where the system has no such thing the call says so and the test skips.

#include <cstddef>
#include <filesystem>
#include <functional>

namespace Testing
{

// Runs work in a child process whose address space may grow by at most extraBytes beyond what
// it holds when the child starts. Returns the child's exit status (work's result, 0 to 255;
// 254 when an exception left work), 128 plus the signal number when a signal ended it, or -1
// when it cannot run here: no child processes on this system, or a sanitizer runtime whose
// allocator ends the process instead of failing an allocation.
int RunInChildWithMemoryLimit(std::size_t extraBytes, const std::function<int()>& work);

// Creates a named pipe (FIFO) at path. False when the system has none or it cannot be made.
bool CreateFifo(const std::filesystem::path& path);

} // namespace Testing
