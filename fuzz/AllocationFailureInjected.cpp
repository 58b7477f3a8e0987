// A global operator new that counts allocations and fails the chosen one, linked into the fuzz
// executables only: it replaces the sanitizer's own operator new, which every other program keeps.
// The state is per thread: libFuzzer's own threads are never counted.

#include "tools/host/AllocationFailure.h"

#include <cstdlib>
#include <new>

namespace
{

thread_local bool counting = false;
thread_local std::size_t counted = 0;
thread_local std::size_t failAtCount = 0;
thread_local bool raised = false;
thread_local int hostDepth = 0;

void CountOne()
{
    if (!counting || hostDepth != 0)
        return;
    ++counted;
    if (failAtCount != 0 && counted == failAtCount)
    {
        raised = true;
        throw std::bad_alloc();
    }
}

void* Allocate(std::size_t size)
{
    CountOne();
    void* block = std::malloc(size != 0 ? size : 1);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

void* AllocateAligned(std::size_t size, std::align_val_t alignment)
{
    CountOne();
    const auto align = static_cast<std::size_t>(alignment);
    const std::size_t rounded = (size + align - 1) / align * align;
    void* block = std::aligned_alloc(align, rounded != 0 ? rounded : align);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

} // namespace

void* operator new(std::size_t size)
{
    return Allocate(size);
}
void* operator new[](std::size_t size)
{
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try
    {
        return Allocate(size);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    try
    {
        return Allocate(size);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}
void* operator new(std::size_t size, std::align_val_t alignment)
{
    return AllocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment)
{
    return AllocateAligned(size, alignment);
}
void operator delete(void* block) noexcept
{
    std::free(block);
}
void operator delete[](void* block) noexcept
{
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept
{
    std::free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept
{
    std::free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept
{
    std::free(block);
}
void operator delete(void* block, std::align_val_t) noexcept
{
    std::free(block);
}
void operator delete[](void* block, std::align_val_t) noexcept
{
    std::free(block);
}
void operator delete(void* block, std::size_t, std::align_val_t) noexcept
{
    std::free(block);
}
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept
{
    std::free(block);
}

namespace Host
{

bool AllocationFailureAvailable()
{
    return true;
}

void StartCountingAllocations(std::size_t failAt)
{
    counted = 0;
    failAtCount = failAt;
    raised = false;
    counting = true;
}

std::size_t StopCountingAllocations()
{
    counting = false;
    failAtCount = 0;
    raised = false;
    return counted;
}

bool AllocationFailureRaised()
{
    return raised;
}

void EnterHostCode()
{
    ++hostDepth;
}

void LeaveHostCode()
{
    --hostDepth;
}

} // namespace Host
