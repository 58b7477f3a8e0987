// landxml-generate: writes one synthetic LandXML 1.2 document of a chosen size.

#include "benchmarks/generator/SyntheticLandXml.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv)
{
    CLI::App app{"Writes a synthetic LandXML 1.2 total-station job with the vendor extension."};
    double megabytes = 2.0;
    std::string out;
    std::uint64_t seed = 1;
    app.add_option("--megabytes", megabytes, "size of the document in MiB (2^20 bytes)")
        ->check(CLI::PositiveNumber);
    app.add_option("--out", out, "file to write")->required();
    app.add_option("--seed", seed, "seed of the pseudo-random content");
    CLI11_PARSE(app, argc, argv);

    std::FILE* file = std::fopen(out.c_str(), "wb");
    if (file == nullptr)
    {
        std::fprintf(stderr, "landxml-generate: cannot open %s for writing\n", out.c_str());
        return 1;
    }
    try
    {
        Benchmark::SyntheticOptions options;
        options.targetBytes = static_cast<std::uint64_t>(megabytes * 1048576.0);
        options.seed = seed;
        const Benchmark::SyntheticCounts counts = Benchmark::WriteSyntheticLandXml(options, file);
        if (std::fclose(file) != 0)
        {
            std::fprintf(stderr, "landxml-generate: cannot write %s\n", out.c_str());
            return 1;
        }
        std::printf("%s: %llu bytes, %llu stations, %llu points, %llu observations, "
                    "%llu point images, %llu setup images\n",
                    out.c_str(), static_cast<unsigned long long>(counts.bytes),
                    static_cast<unsigned long long>(counts.setups),
                    static_cast<unsigned long long>(counts.cgPoints),
                    static_cast<unsigned long long>(counts.rawObservations),
                    static_cast<unsigned long long>(counts.pointImages),
                    static_cast<unsigned long long>(counts.setupImages));
    }
    catch (const std::exception& error)
    {
        std::fclose(file);
        std::fprintf(stderr, "landxml-generate: %s\n", error.what());
        return 1;
    }
    return 0;
}
