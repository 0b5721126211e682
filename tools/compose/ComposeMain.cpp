// morvel_compose OUTPUT.dmf: writes the bundled example song.

#include <cstdio>

#include "tools/compose/ComposeSong.h"
#include "tools/writer/WriterModule.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: morvel_compose OUTPUT.dmf\n");
        return 2;
    }
    const std::vector<uint8_t> bytes = WriteSong(ComposeExampleSong());
    std::FILE* file = std::fopen(argv[1], "wb");
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        std::fprintf(stderr, "morvel_compose: cannot write %s\n", argv[1]);
        if (file) {
            std::fclose(file);
        }
        return 1;
    }
    std::fclose(file);
    std::printf("%s: %zu bytes\n", argv[1], bytes.size());
    return 0;
}
