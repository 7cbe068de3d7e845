// Writes the reference valve pocket mesh. Run once after changing the
// generator and commit its output as data/reference_valve_pocket.msh:
//   meshgen data/reference_valve_pocket.msh
#include "pocketmeshgen.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.msh\n", argv[0]);
        return 2;
    }
    const std::string text = PocketMeshGen::generate(PocketMeshGen::Resolution());
    std::FILE *file = std::fopen(argv[1], "wb");
    if (!file || std::fwrite(text.data(), 1, text.size(), file) != text.size()
        || std::fclose(file) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
