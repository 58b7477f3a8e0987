#include "document/ImportMemory.h"

#include <new>

namespace Plugin
{
namespace
{

thread_local ImportMemory* currentMemory = nullptr;

} // namespace

ImportMemory::ImportMemory() : blocks{&blocks, &blocks}, outer(currentMemory)
{
    currentMemory = this;
}

ImportMemory::~ImportMemory()
{
    Release();
}

ImportMemory* ImportMemory::Current()
{
    return currentMemory;
}

std::pmr::memory_resource* ImportMemory::Resource()
{
    ImportMemory* memory = currentMemory;
    return memory != nullptr ? memory : std::pmr::new_delete_resource();
}

// A block with its header, in no list yet. Through operator new, as every allocation of the
// plug-in: a program that counts or fails allocations sees these too.
ImportMemory::Header* ImportMemory::NewBlock(std::size_t bytes)
{
    if (bytes > static_cast<std::size_t>(-1) - sizeof(Header))
        throw std::bad_alloc();
    auto* header = static_cast<Header*>(::operator new(sizeof(Header) + bytes));
    header->previous = header->next = nullptr;
    return header;
}

void* ImportMemory::Allocate(std::size_t bytes)
{
    if (ImportMemory* memory = currentMemory)
        return memory->Listed(bytes);
    return NewBlock(bytes) + 1;
}

void* ImportMemory::Listed(std::size_t bytes)
{
    Header* header = NewBlock(bytes);
    header->previous = &blocks;
    header->next = blocks.next;
    blocks.next->previous = header;
    blocks.next = header;
    return header + 1;
}

void ImportMemory::Free(void* block) noexcept
{
    if (block == nullptr)
        return;
    Header* header = static_cast<Header*>(block) - 1;
    if (header->next != nullptr)
    {
        header->previous->next = header->next;
        header->next->previous = header->previous;
    }
    ::operator delete(header);
}

void ImportMemory::Release() noexcept
{
    for (Header* header = blocks.next; header != &blocks;)
    {
        Header* next = header->next;
        ::operator delete(header);
        header = next;
    }
    blocks.previous = blocks.next = &blocks;
    if (current)
    {
        currentMemory = outer;
        current = false;
    }
}

void* ImportMemory::do_allocate(std::size_t bytes, std::size_t alignment)
{
    // Every container of the plug-in asks for the alignment of a fundamental type at most.
    if (alignment > alignof(std::max_align_t))
        throw std::bad_alloc();
    return Listed(bytes);
}

void ImportMemory::do_deallocate(void* block, std::size_t, std::size_t)
{
    Free(block);
}

} // namespace Plugin
