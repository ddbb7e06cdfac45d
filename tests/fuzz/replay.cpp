// replay.cpp - runs a fuzz target as an ordinary test, without libFuzzer:
// every input of its corpus, then a fixed number of seeded mutations of
// them (bits flipped, bytes replaced, inserted and erased, pieces of other
// inputs spliced in), each in a heap block of exactly its size so that
// AddressSanitizer builds see any over-read.  The target's oracle aborts
// on a broken property.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR MUTATIONS\n", argv[0]);
        return 2;
    }
    std::vector<std::vector<uint8_t>> corpus;
    for (const auto &entry : std::filesystem::directory_iterator(argv[1])) {
        std::ifstream in(entry.path(), std::ios::binary);
        corpus.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (corpus.empty()) {
        std::fprintf(stderr, "%s: no inputs in %s\n", argv[0], argv[1]);
        return 2;
    }
    std::sort(corpus.begin(), corpus.end()); // the same runs whatever the directory order
    auto run = [](const std::vector<uint8_t> &v) {
        auto exact = std::make_unique<uint8_t[]>(v.size());
        std::copy(v.begin(), v.end(), exact.get());
        LLVMFuzzerTestOneInput(exact.get(), v.size());
    };
    for (const auto &v : corpus)
        run(v);
    std::mt19937_64 rng(1);
    for (long i = std::atol(argv[2]); i > 0; i--) {
        auto v = corpus[rng() % corpus.size()];
        for (int edits = 1 + static_cast<int>(rng() % 4); edits > 0; edits--) {
            const size_t at = v.empty() ? 0 : rng() % v.size();
            const auto &other = corpus[rng() % corpus.size()];
            switch (v.empty() ? 2 : rng() % 5) {
            case 0: v[at] ^= static_cast<uint8_t>(1u << (rng() % 8)); break;
            case 1: v[at] = static_cast<uint8_t>(rng()); break;
            case 2: v.insert(v.begin() + static_cast<long>(at), static_cast<uint8_t>(rng())); break;
            case 3: v.erase(v.begin() + static_cast<long>(at)); break;
            default:
                if (!other.empty()) {
                    size_t from = rng() % other.size(), n = std::min<size_t>(other.size() - from, 1 + rng() % 8);
                    v.insert(v.begin() + static_cast<long>(at), other.begin() + static_cast<long>(from),
                             other.begin() + static_cast<long>(from + n));
                }
            }
        }
        run(v);
    }
    return 0;
}
