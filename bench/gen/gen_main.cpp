// orrindale_gen: writes a large valid X12 document for the benchmarks.
//   orrindale_gen TYPE MEGABYTES [-s SEED] [-o FILE] [--crlf] [--sets N]
// TYPE is 850, 837P or 837P-claims (the second 837P shape: many claims per
// subscriber, long NM1 and REF runs); MEGABYTES is in MiB (a fraction such as 0.1 is fine);
// the document ends after the transaction set that reaches the size. Without
// -o the text goes to standard output. --sets: transaction sets per
// interchange (500), so a group can have thousands of children. The same
// arguments give the same bytes.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/gen/EdiGen.h"

int main(int argc, char** argv)
{
    using orr::bench::EdiGen;
    orr::bench::GenOptions o;
    const char* sOut = nullptr;
    int nPositional = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "-s" && i + 1 < argc) {
            o.nSeed = std::strtoull(argv[++i], nullptr, 10);
        } else if (a == "-o" && i + 1 < argc) {
            sOut = argv[++i];
        } else if (a == "--sets" && i + 1 < argc) {
            o.nSetsPerInterchange = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--crlf") {
            o.bLineBreaks = true;
        } else if (nPositional == 0) {
            o.sType = a;
            ++nPositional;
        } else if (nPositional == 1) {
            o.nBytes = std::uint64_t(std::atof(a.c_str()) * double(1 << 20));
            ++nPositional;
        } else {
            nPositional = 99;
        }
    }
    if (nPositional != 2 || !EdiGen::KnownType(o.sType)) {
        std::fprintf(stderr, "usage: orrindale_gen 850|837P|837P-claims MEGABYTES [-s SEED] [-o FILE] [--crlf] [--sets N]\n");
        return 2;
    }
    std::FILE* f = sOut ? std::fopen(sOut, "wb") : stdout;
    if (!f) {
        std::perror(sOut);
        return 1;
    }
    orr::bench::GenStats stats;
    bool bOk = true;
    EdiGen::Generate(o, [&](std::string_view b) { bOk = bOk && std::fwrite(b.data(), 1, b.size(), f) == b.size(); },
                     &stats);
    if (sOut && std::fclose(f) != 0)
        bOk = false;
    if (!bOk) {
        std::perror(sOut ? sOut : "stdout");
        return 1;
    }
    std::fprintf(stderr, "%s: %llu bytes, %llu segments, %llu transaction sets, %llu interchanges\n",
                 o.sType.c_str(), static_cast<unsigned long long>(stats.nBytes),
                 static_cast<unsigned long long>(stats.nSegments), static_cast<unsigned long long>(stats.nSets),
                 static_cast<unsigned long long>(stats.nInterchanges));
    return 0;
}
