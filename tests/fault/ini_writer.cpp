// Rewrites the settings file in rounds until it is killed or has done the
// rounds asked for: each round writes every key of writer_keys with the
// round's number, one write at a time.
//
//   ini_writer PATH FIRST_ROUND ROUNDS     (ROUNDS 0: until killed)
//
// Prints one line "ready" when it is about to write, and exits 2 when a
// write reports failure.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/IniFile.h"
#include "writer_keys.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s PATH FIRST_ROUND ROUNDS\n", argv[0]);
        return 64;
    }
    const std::string path = argv[1];
    const long first = std::strtol(argv[2], nullptr, 10);
    const long rounds = std::strtol(argv[3], nullptr, 10);

    platform::IniFile ini;
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    for (long round = first; rounds == 0 || round < first + rounds; ++round) {
        for (const writer_keys::Key& k : writer_keys::kKeys) {
            if (!ini.PutString(k.section, k.key, writer_keys::Value(round, k), path)) {
                std::fprintf(stderr, "round %ld: writing %s.%s failed\n", round, k.section, k.key);
                return 2;
            }
        }
    }
    return 0;
}
