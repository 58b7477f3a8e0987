// The extension's points: code records by point name, onboard images by point id, and the image
// files looked for beside the document.

#include "import/LandXMLImporter.h"

#include "platform/Platform.h"

#include <string>

namespace Plugin
{
namespace
{

// The part of an id before its first "@", or the whole id.
WideString CutAtSign(const WideString& id)
{
    const std::size_t at = id.find(WideChar('@'));
    return at == WideString::npos ? id : id.substr(0, at);
}

void ReportMissingFile(IImportSink* sink, const WideString& relativePath)
{
    WideString message = WIDE_TEXT("Файл ");
    message += relativePath;
    message += WIDE_TEXT(" не найден");
    sink->ReportWarning(message.c_str());
}

} // namespace

void CLandXMLImporter::ReadExtensionPoints(const Node* extension)
{
    for (const Node* point = FindChild(extension, "Point"); point != nullptr;
         point = NextSibling(point, "Point"))
    {
        const Attribute* uniqueId = FindAttribute(point, "uniqueID");
        if (uniqueId == nullptr)
            continue;
        const WideString id = ToWide(uniqueId->value());
        const Node* pointCode = FindChild(point, "PointCode");
        const Attribute* subclass = FindAttribute(point, "subclass");
        if (pointCode != nullptr)
        {
            const WideString key = CutAtSign(id);
            if (points.find(key) == points.end())
            {
                PointRecord record;
                record.subclass = subclass != nullptr ? ToWide(subclass->value()) : WideString();
                ReadFeature(pointCode, record);
                points.emplace(key, std::move(record));
            }
        }
        const Node* onboard = FindChild(point, "OnboardImages");
        if (onboard == nullptr)
            continue;
        for (const Node* reference = FindChild(onboard, "landxml:DocFileRef"); reference;
             reference = NextSibling(reference, "landxml:DocFileRef"))
        {
            ImageRecord image;
            if (ReadImageReference(image, reference))
                images.Add(id, std::move(image));
        }
    }
}

bool CLandXMLImporter::PathExists(const WideString& path)
{
    const auto known = knownPaths.find(path);
    if (known != knownPaths.end())
        return known->second;
    const bool exists = Platform::PathExists(path);
    knownPaths.emplace(path, exists);
    return exists;
}

bool CLandXMLImporter::ReadImageReference(ImageRecord& record, const Node* reference)
{
    const Attribute* nameAttribute = FindAttribute(reference, "name");
    const Attribute* locationAttribute = FindAttribute(reference, "location");
    const Attribute* formatAttribute = FindAttribute(reference, "fileFormat");
    const std::string name = TextOf(nameAttribute ? nameAttribute->value() : nullptr);
    const std::string location = TextOf(locationAttribute ? locationAttribute->value() : nullptr);
    const std::string format = formatAttribute ? TextOf(formatAttribute->value()) : "jpg";
    if (name.empty() || location.empty() || format.empty())
        return false;

    const std::string fileName = name + "." + format;
    const std::string locationPath = location + "/" + fileName;
    const std::string imagesPath = "Images/" + fileName;
    record.name = ToWide(name.c_str());
    const WideString wideLocationPath = ToWide(locationPath.c_str());
    const WideString wideImagesPath = ToWide(imagesPath.c_str());

    if (PathExists(folder + wideLocationPath))
    {
        record.path = wideLocationPath;
    }
    else if (PathExists(folder + wideImagesPath))
    {
        record.path = wideImagesPath;
    }
    else
    {
        ReportMissingFile(sink, wideLocationPath);
        if (locationPath != imagesPath)
            ReportMissingFile(sink, wideImagesPath);
    }
    return true;
}

} // namespace Plugin
