#pragma once

// The memory of one host call into the plug-in: an import, or the filling of the property list.
// Every heap block the call makes (the file's buffer, the tree's nodes, the tables, the readers'
// working texts) comes from the call's ImportMemory, which lists it until it is freed. A host's
// exception from a callback unwinds the plug-in's frames without running their destructors, and
// then the blocks still listed are freed in one step: nothing an owner forgets can stay behind.

#include <cstddef>
#include <memory_resource>

namespace Plugin
{

class ImportMemory final : public std::pmr::memory_resource
{
public:
    // Becomes the calling thread's current memory until it is destroyed or released.
    ImportMemory();
    // Frees the blocks still listed, which only a host's exception can have left.
    ~ImportMemory() override;
    ImportMemory(const ImportMemory&) = delete;
    ImportMemory& operator=(const ImportMemory&) = delete;

    // The memory of the call running on this thread; null outside one.
    static ImportMemory* Current();
    // What the call's containers allocate from: the current memory, or the plain heap outside a
    // call.
    static std::pmr::memory_resource* Resource();

    // A block of at least bytes, aligned for any fundamental type, from the current memory (the
    // plain heap outside a call). Raises std::bad_alloc.
    static void* Allocate(std::size_t bytes);
    // Frees a block that Allocate or any ImportMemory gave; null is ignored.
    static void Free(void* block) noexcept;

    // Frees every block still listed and ends this memory's time as the current one. For the
    // unwinding of a host's exception, when nothing will use those blocks again.
    void Release() noexcept;

private:
    // Before each block: its neighbours in its memory's list, both null for a block of the plain
    // heap. Sixteen bytes, so that the block keeps the alignment of what it came from.
    struct Header
    {
        Header* previous;
        Header* next;
    };

    static Header* NewBlock(std::size_t bytes);
    void* Listed(std::size_t bytes);

    void* do_allocate(std::size_t bytes, std::size_t alignment) override;
    void do_deallocate(void* block, std::size_t bytes, std::size_t alignment) override;
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override
    {
        return this == &other;
    }

    Header blocks;       // the list's ends: a ring through this header
    ImportMemory* outer; // the current memory before this one
    bool current = true; // still the thread's current memory
};

} // namespace Plugin
