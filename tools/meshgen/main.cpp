// Writes the reference valve pocket mesh. Run once after changing the
// generator and commit its output as data/reference_valve_pocket.msh:
//   meshgen data/reference_valve_pocket.msh
// Coarser meshes of the same pocket, for the tests, take the resolution
// (square, ring, cone, transition and pocket layers) after the file name:
//   meshgen tests/solver/data/pocket_coarse.msh 3 1 1 1 1
#include "pocketmeshgen.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 2 && argc != 7) {
        std::fprintf(stderr, "usage: %s OUTPUT.msh [SQUARE RING CONE TRANSITION POCKET]\n", argv[0]);
        return 2;
    }
    PocketMeshGen::Resolution resolution;
    if (argc == 7) {
        int *fields[] = {&resolution.square, &resolution.ring, &resolution.coneLayers, &resolution.transitionLayers,
                         &resolution.pocketLayers};
        for (int i = 0; i < 5; ++i)
            *fields[i] = std::atoi(argv[2 + i]);
        if (resolution.square < 1 || resolution.square % 2 == 0 || resolution.ring < 1 || resolution.coneLayers < 1
            || resolution.transitionLayers < 1 || resolution.pocketLayers < 1) {
            std::fprintf(stderr, "%s: SQUARE must be odd, every count at least 1\n", argv[0]);
            return 2;
        }
    }
    const std::string text = PocketMeshGen::generate(resolution);
    std::FILE *file = std::fopen(argv[1], "wb");
    if (!file || std::fwrite(text.data(), 1, text.size(), file) != text.size()
        || std::fclose(file) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
