// Test tool: writes an Ogg Vorbis file holding a sine tone.
//   MakeToneOgg <file> <frequency Hz> <seconds>
#include <cstdio>
#include <cstdlib>

#include "ToneOgg.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: MakeToneOgg <file> <frequency> <seconds>\n");
        return 2;
    }
    return hgf::test::WriteToneOgg(argv[1], std::atof(argv[2]), std::atof(argv[3])) ? 0 : 1;
}
