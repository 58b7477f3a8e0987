#include "import/LandXMLImporter.h"
#include "import/NumberText.h"

namespace Plugin
{

void CLandXMLImporter::SendImageNote(const ImageRecord& image)
{
    ISinkExtension* extension = sink->GetExtension(ObservationExtension);
    if (extension == nullptr)
        return;
    // "Path=…""HA=…""VA=…""Dist=…", each item in its own quotes; the path is not escaped.
    WideText note;
    note += WIDE_TEXT("\"Path=");
    note += image.path;
    note += WIDE_TEXT("\"\"HA=");
    AppendGeneral12(note, image.horizontalAngle);
    note += WIDE_TEXT("\"\"VA=");
    AppendGeneral12(note, image.zenithAngle);
    note += WIDE_TEXT("\"\"Dist=");
    AppendGeneral12(note, image.distance);
    note += WideChar('"');
    extension->AddImageNote(note.c_str());
}

} // namespace Plugin
