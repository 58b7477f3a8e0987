// Sections without any content: the readers must not take anything from a child that is not
// there.
//
// RapidXML leaves a node's last-child pointer unset until a child is added and defines
// last_node() only for nodes that have children: a reader that walked an empty "CgPoints" from
// its last child would start at an uninitialised pointer (a fault found here once). Freshly
// mapped memory is zero, so the heap is made dirty first, in a way that would turn such a fault
// into a point the document does not have (sanitizer builds, whose allocator fills new memory
// itself, would crash or stop at the parser's assertion).

#include "tests/hostile/HostileSupport.h"
#include "tests/support/TestImport.h"

#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <rapidxml/rapidxml.hpp>

namespace
{

// A point element of a tree of its own, named GHOST, that no document contains.
const rapidxml::xml_node<char>* GhostPoint()
{
    static rapidxml::xml_document<char> tree;
    static rapidxml::xml_node<char>* ghost = []
    {
        rapidxml::xml_node<char>* points = tree.allocate_node(rapidxml::node_element, "CgPoints");
        rapidxml::xml_node<char>* point = tree.allocate_node(rapidxml::node_element, "CgPoint");
        point->append_attribute(tree.allocate_attribute("name", "GHOST"));
        points->append_node(point);
        tree.append_node(points);
        return point;
    }();
    return ghost;
}

// Frees blocks of the parser's size in which every word points to the ghost point, where the
// next document's tree will be allocated: a child pointer the parser left unset then leads to
// the ghost, which the host sees, instead of to a crash. The last block stays allocated while
// the object lives, so that the freed ones are kept for reuse, not returned to the system.
class DirtyHeap
{
public:
    DirtyHeap()
    {
        constexpr int kBlocks = 32;
        const std::size_t words = sizeof(rapidxml::xml_document<char>) / sizeof(std::uintptr_t);
        const auto ghost = reinterpret_cast<std::uintptr_t>(GhostPoint());
        void* blocks[kBlocks];
        for (void*& block : blocks)
        {
            block = std::malloc(words * sizeof(std::uintptr_t));
            volatile std::uintptr_t* word = static_cast<std::uintptr_t*>(block);
            for (std::size_t i = 0; i < words; ++i)
                word[i] = ghost;
        }
        guard = std::malloc(words * sizeof(std::uintptr_t));
        for (void* block : blocks)
            std::free(block);
    }
    ~DirtyHeap() { std::free(guard); }
    DirtyHeap(const DirtyHeap&) = delete;
    DirtyHeap& operator=(const DirtyHeap&) = delete;

private:
    void* guard = nullptr;
};

TEST(EmptySections, EverySectionMayBeEmpty)
{
    const char* const sections[] = {
        "<CgPoints/>",
        "<CgPoints></CgPoints>",
        "<CgPoints><!-- no points --></CgPoints>",
        "<PlanFeatures/><Parcels/>",
        "<PlanFeatures><PlanFeature name=\"F\"/></PlanFeatures><Parcels><Parcel "
        "name=\"L\"/></Parcels>",
        "<Survey/><Survey><InstrumentSetup id=\"1\" stationName=\"S\"/><ObservationGroup "
        "id=\"o1\"/>"
        "</Survey>",
        "<HexagonLandXML/>",
        "<HexagonLandXML><Point uniqueID=\"P\"><PointCode/><OnboardImages/></Point><Survey/>"
        "</HexagonLandXML>",
        "<Units/><Units><Metric/></Units>",
    };
    for (const char* body : sections)
    {
        const DirtyHeap dirty;
        const Host::ImportRun run = Host::ParseBytes(Testing::LandXml(body));
        ASSERT_EQ(Hostile::Problems(run), "") << body;
        EXPECT_FALSE(run.files.at(0).formatError) << body;
        EXPECT_EQ(run.files.at(0).points, 0) << body << ": " << Testing::JoinLines(run.lines);
    }
}

} // namespace
