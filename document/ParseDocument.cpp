// A file's bytes as an XML tree: malformed files are reported, the declared encoding, the root
// and its version are found, and the root goes to the dispatch.

#include "document/ImportMemory.h"
#include "document/NestingDepth.h"
#include "document/StringTable.h"
#include "document/ToWide.h"
#include "import/LandXMLImporter.h"

#include <memory>
#include <new>

namespace Plugin
{
namespace
{

using Tree = rapidxml::xml_document<char>;

struct TreeDelete
{
    void operator()(Tree* tree) const
    {
        std::destroy_at(tree);
        ImportMemory::Free(tree);
    }
};

// The tree and its node pool, which is large, in the import's memory rather than on the host's
// stack; the nodes it adds as it grows come from there too.
std::unique_ptr<Tree, TreeDelete> NewTree()
{
    std::unique_ptr<Tree, TreeDelete> tree(new (ImportMemory::Allocate(sizeof(Tree))) Tree());
    tree->set_allocator([](std::size_t size) { return ImportMemory::Allocate(size); },
                        [](void* block) { ImportMemory::Free(block); });
    return tree;
}

} // namespace

void CLandXMLImporter::ReportFormatError()
{
    // The text first: a text that cannot be loaded fails the file before the host hears of it.
    const WideText message = LoadText(TextFileFormatError);
    sink->SetFileResult(-1);
    sink->ReportError(message.c_str());
}

void CLandXMLImporter::ParseDocument(char* buffer)
{
    // The parser recurses once per nested element: a document deeper than any real one could
    // overflow the host thread's stack, so it is refused as malformed before parsing.
    if (NestsDeeperThan(buffer, kMaxElementDepth))
    {
        ReportFormatError();
        return;
    }
    const auto tree = NewTree();
    try
    {
        tree->parse<rapidxml::parse_declaration_node>(buffer);
    }
    catch (const rapidxml::parse_error&)
    {
        // The host sees one format error; the parser's own text is never shown.
        ReportFormatError();
        return;
    }
    sink->SetProgress(50.0f);

    for (const Node* node = tree->first_node(); node != nullptr; node = node->next_sibling())
    {
        if (node->type() != rapidxml::node_declaration)
            continue;
        // Only the first declaration counts, and it is read as UTF-8.
        if (const Attribute* declared = FindAttribute(node, "encoding"))
        {
            encoding = ValueOf(declared);
            ansiCodePage = UsesAnsiCodePage(encoding);
        }
        break;
    }

    const Node* root = FindChild(tree.get(), "LandXML");
    if (root == nullptr)
    {
        ReportFormatError();
        return;
    }
    if (const Attribute* declaredVersion = FindAttribute(root, "version"))
    {
        const WideText text = ValueOf(declaredVersion);
        if (text.View() == WIDE_TEXT("1.0"))
            version = 10;
        else if (text.View() == WIDE_TEXT("1.1"))
            version = 11;
        else if (text.View() == WIDE_TEXT("1.2"))
            version = 12;
    }
    ReadLandXML(root);
}

} // namespace Plugin
