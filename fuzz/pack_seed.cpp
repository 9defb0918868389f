// Seed maker for fuzz_deffiles: packs every *.def file of a folder into a
// container (what "orrindale-cli pack" does, without the command-line tool).
#include <cstdio>

#include "schema/clsDefPacker.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: pack_seed folder container\n");
        return 2;
    }
    orr::clsDefPacker packer;
    packer.AddFolder(argv[1]);
    packer.Write(argv[2]);
    return 0;
}
