#include "tests/tools/landxml-probe/PlayedImport.h"

#include "tools/host/Text.h"

namespace ProbeTesting
{
namespace
{

Plugin::WideString Wide(const char* text)
{
    return Host::ToWideString(Host::FromUtf8(text));
}

} // namespace

PlayedImport::PlayedImport()
{
    host.BeginFile(Wide("document.xml").c_str());
    host.SetProgress(50.0f);
    Plugin::IValueParserFactory* factory = host.GetValueParserFactory();
    distance = factory->GetDistanceParser(0);
    angle = factory->GetAngleParser(1);
    pressure = factory->GetPressureParser(1);
    temperature = factory->GetTemperatureParser(0);
    factory->Release();
}

PlayedImport::~PlayedImport()
{
    for (Plugin::IValueParser* parser : {distance, angle, pressure, temperature})
        parser->Release();
}

void PlayedImport::Send(Plugin::IValueParser* parser, const char* text,
                        void (Plugin::IImportSink::*setter)(double))
{
    double value = 0;
    if (text != nullptr && parser->Parse(Wide(text).c_str(), &value))
        (host.*setter)(value);
}

void PlayedImport::Point(const char* name, const char* north, const char* east, const char* up)
{
    host.AddPoint(Wide(name).c_str());
    Send(distance, north, &Plugin::IImportSink::SetNorthing);
    Send(distance, east, &Plugin::IImportSink::SetEasting);
    Send(distance, up, &Plugin::IImportSink::SetElevation);
}

void PlayedImport::Station(const char* name, const char* height)
{
    double value = 0;
    const bool read = height != nullptr && distance->Parse(Wide(height).c_str(), &value);
    host.SetStation(Wide(name).c_str());
    if (read)
        host.SetInstrumentHeight(value);
}

void PlayedImport::Observation(const Sight& sight)
{
    host.SetTargetPoint(Wide(sight.target).c_str());
    Send(distance, sight.targetHeight, &Plugin::IImportSink::SetTargetHeight);
    host.SetFace(sight.face);
    Send(angle, sight.horizontal, &Plugin::IImportSink::SetHorizontalAngle);
    Send(angle, sight.zenith, &Plugin::IImportSink::SetZenithAngle);
    Send(distance, sight.slopeDistance, &Plugin::IImportSink::SetSlopeDistance);
    Plugin::ISinkExtension* extension = host.GetExtension(2);
    if (sight.time != nullptr)
        extension->SetObservationTime(Wide(sight.time).c_str());
    host.SetFace(sight.face);
}

void PlayedImport::Parse(Plugin::IValueParser* parser, const char* text)
{
    double value = 0;
    parser->Parse(Wide(text).c_str(), &value);
}

} // namespace ProbeTesting
