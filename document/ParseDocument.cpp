// A file's bytes as an XML tree: the text is read in its encoding, malformed files are reported,
// the root and its version are found, and the root goes to the dispatch.

#include "document/DocumentText.h"
#include "document/ImportMemory.h"
#include "document/NestingDepth.h"
#include "document/StringTable.h"
#include "import/LandXMLImporter.h"

#include <memory>
#include <memory_resource>
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

void CLandXMLImporter::ParseDocument(char* buffer, std::size_t size)
{
    // The parser reads UTF-8 only. A document in UTF-16 is read into UTF-8 before its markup is;
    // one declaring another character set, once the scan has found its declaration. The copy
    // lives as long as the tree whose texts point into it.
    std::pmr::string decoded(ImportMemory::Resource());
    char* utf8 = buffer;
    const Utf16 utf16 = FindUtf16(buffer, size);
    if (utf16 != Utf16::None)
    {
        decoded = Utf16ToUtf8(buffer, size, utf16);
        utf8 = decoded.data();
    }
    // The parser recurses once per nested element: a document deeper than any real one could
    // overflow the host thread's stack, so it is refused as malformed before parsing.
    const MarkupScan scan = ScanMarkup(utf8, kMaxElementDepth);
    if (scan.tooDeep)
    {
        ReportFormatError();
        return;
    }
    // Only the first declaration counts. Every character set read here is ASCII below 0x80, so
    // the markup the scan followed stays the same in UTF-8.
    const Platform::CodePage codePage = DeclaredCodePage(scan.encoding);
    if (utf16 == Utf16::None && codePage != Platform::CodePage::Utf8)
    {
        decoded = CodePageToUtf8(buffer, codePage);
        utf8 = decoded.data();
    }

    const auto tree = NewTree();
    try
    {
        tree->parse<rapidxml::parse_declaration_node>(utf8);
    }
    catch (const rapidxml::parse_error&)
    {
        // The host sees one format error; the parser's own text is never shown.
        ReportFormatError();
        return;
    }
    sink->SetProgress(50.0f);

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
