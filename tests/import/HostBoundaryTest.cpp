// What a host call holds is released as a host's exception passes, though that exception runs
// none of the plug-in's destructors: the owners that list themselves are destroyed, newest
// first, and every block of the call's memory is freed. Objects are abandoned here as such an
// exception abandons them: built in storage whose destructor never runs. The sanitizer builds
// report any block that stays behind, and any freed twice.

#include "import/HostBoundary.h"
#include "document/WideText.h"
#include "import/Tables.h"

#include <gtest/gtest.h>

#include <memory>
#include <memory_resource>
#include <new>
#include <string>
#include <vector>

namespace
{

using Plugin::Held;
using Plugin::ImportMemory;

// Storage for an object whose destructor the test never calls.
template <typename T> struct Abandoned
{
    template <typename... Arguments> T& Make(Arguments&&... arguments)
    {
        return *new (storage) T(std::forward<Arguments>(arguments)...);
    }
    alignas(T) unsigned char storage[sizeof(T)];
};

// An owner of something other than memory: records its release.
struct Owner
{
    Owner(std::vector<std::string>& log, std::string ownerName) : released(log), name(ownerName) {}
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    ~Owner() { released.push_back(name); }

    std::vector<std::string>& released;
    std::string name;
    Held held{*this};
};

TEST(HostBoundary, AbandonedTextsAndTablesAreFreedWithTheirMemory)
{
    ImportMemory* const outside = ImportMemory::Current();
    {
        ImportMemory call;
        EXPECT_EQ(ImportMemory::Current(), &call);
        // Texts past their inline room, a table with its arena and keys, a container of the
        // call's memory: all abandoned.
        Abandoned<Plugin::WideText> longText;
        longText.Make(Plugin::WideView(Plugin::WideString(3 * Plugin::WideText::kInline, u'x')))
            .Append(Plugin::WideView(Plugin::WideString(500, u'y')));
        Abandoned<Plugin::TextArena> arena;
        Abandoned<Plugin::Keys> keys;
        Abandoned<Plugin::Table<double>> table;
        Plugin::Keys& names = keys.Make(arena.Make());
        Plugin::Table<double>& numbers = table.Make(names);
        for (int i = 0; i < 1000; ++i)
            numbers.Insert(
                Plugin::WideView(
                    Plugin::WideString(120, static_cast<Plugin::WideChar>(u'a' + i % 26)) +
                    Plugin::WideString(1, static_cast<Plugin::WideChar>(i))),
                i);
        Abandoned<std::pmr::vector<int>> vector;
        vector.Make(ImportMemory::Resource()).assign(10000, 7);
        void* block = ImportMemory::Allocate(100000);
        ImportMemory::Free(ImportMemory::Allocate(64)); // freed as usual: not freed again
        static_cast<void>(block);

        call.Release();
        EXPECT_EQ(ImportMemory::Current(), outside) << "the outer memory is current again";
    }
    EXPECT_EQ(ImportMemory::Current(), outside);
}

TEST(HostBoundary, MemoryOfNestedCallsAndOfNoCallIsKeptApart)
{
    // Outside a call, blocks come from the plain heap and are freed one by one.
    const Plugin::WideText before(Plugin::WideView(Plugin::WideString(300, u'b')));
    ImportMemory outer;
    const Plugin::WideText inOuter(Plugin::WideView(Plugin::WideString(300, u'o')));
    {
        ImportMemory inner;
        {
            // A copy of a text of no call lives in the inner memory, and ends as usual.
            const Plugin::WideText kept(before);
            EXPECT_EQ(kept.View(), before.View());
        }
        Abandoned<Plugin::WideText> abandoned;
        abandoned.Make(Plugin::WideView(Plugin::WideString(300, u'i')));
        inner.Release();
        EXPECT_EQ(ImportMemory::Current(), &outer);
    }
    EXPECT_EQ(inOuter.View(), Plugin::WideString(300, u'o'));
    EXPECT_EQ(before.View(), Plugin::WideString(300, u'b'));
}

TEST(HostBoundary, ListedOwnersAreReleasedNewestFirstAfterTheMark)
{
    std::vector<std::string> released;
    const Owner first(released, "first");
    const Held* mark = Held::newest;
    Abandoned<Owner> second;
    Abandoned<Owner> third;
    Abandoned<Owner> fourth;
    second.Make(released, "second");
    third.Make(released, "third");
    {
        // An owner that ends before a newer one: the list stays whole.
        const auto early = std::make_unique<Owner>(released, "early");
        fourth.Make(released, "fourth");
    }
    Held::ReleaseAfter(mark);
    EXPECT_EQ(released, (std::vector<std::string>{"early", "fourth", "third", "second"}));
    EXPECT_EQ(Held::newest, mark);
}

} // namespace
