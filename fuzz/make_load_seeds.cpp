// Writes the seed corpus of fuzz_load_tag_file: one small file per layout.
// Build and run by hand from the repository root:
//   g++ -std=c++20 -I. -Itests/core fuzz/make_load_seeds.cpp -o make_load_seeds
//   ./make_load_seeds fuzz/corpus/fuzz_load_tag_file
#include <cstring>
#include <filesystem>
#include <string>

#include "tag_file_builder.h"

using namespace lumaset;
using namespace lumaset::testing;

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    for (std::uint32_t v : {0u, 4096u, 4097u, 4098u, 4099u, 4100u, 4101u, 4102u, 4103u, 4104u, 4105u, 4106u, 4107u}) {
        TagFileBuilder b(v);
        b.addSystemRecords();
        Bytes& parent = b.addRecord("p", 1);
        std::memcpy(parent.data() + 51, "a\\fb(\\n|c)", 10);
        if (v <= 4098) {
            parent[352] = 2;
            parent[351] = 3;
        } else {
            std::memcpy(parent.data() + 364, "\\(1,2)\\s(\\(3,4),\"x\",1)", 22);
        }
        b.addRecord("c", 2)[357] = 1;
        MessageFormat f{};
        f.kind = 1;
        f.numberCode[0] = 0;
        b.addMessageFormat(f);
        IndexEntry e{};
        std::strcpy(e.name, "i");
        e.memberCount = 2;
        e.members[0] = 3;
        e.members[1] = 4;
        b.addIndex(e);
        b.addLegacy100(1);
        b.addLegacyIndex(1);
        b.addLegacy154(1);
        b.addLegacyMessageFormats(1);
        b.setMemoBlock({'m', 0});
        writeFileBytes(folder / ("v" + std::to_string(v) + ".tag"), b.bytes());
    }
    return 0;
}
