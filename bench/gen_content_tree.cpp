// Builds a tree of files with real contents for the fingerprint benchmark:
//   gen_content_tree DIR [FILES=20000] [MEGABYTES=2048] [SEED=1]
// A hundred files a folder, sizes spread from a few bytes to about a hundred times the mean,
// bytes from a fast generator so that nothing compresses or dedupes. The same seed gives the
// same tree.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

struct Random
{
    uint64_t state;
    uint64_t next()
    {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: gen_content_tree DIR [FILES] [MEGABYTES] [SEED]\n");
        return 2;
    }
    const std::string root = argv[1];
    const long files = argc > 2 ? std::atol(argv[2]) : 20000;
    const double total = (argc > 3 ? std::atof(argv[3]) : 2048) * 1024 * 1024;
    Random random{argc > 4 ? std::strtoull(argv[4], nullptr, 10) : 1};
    random.next();

    // Weights from a skewed distribution, scaled so the sizes add up to the total.
    std::vector<double> weights(static_cast<size_t>(files));
    double sum = 0;
    for (double& w : weights) {
        const double u = double(random.next() % 1000000) / 1000000.0;
        w = 1.0 + 100.0 * u * u * u * u;
        sum += w;
    }
    ::mkdir(root.c_str(), 0755);
    std::vector<uint64_t> block(1 << 17);
    for (long i = 0; i < files; ++i) {
        const std::string folder = root + "/folder" + std::to_string(i / 100);
        if (i % 100 == 0)
            ::mkdir(folder.c_str(), 0755);
        const std::string path = folder + "/file" + std::to_string(i) + ".dat";
        FILE* out = std::fopen(path.c_str(), "wb");
        if (!out) {
            std::perror(path.c_str());
            return 1;
        }
        uint64_t left = uint64_t(weights[size_t(i)] / sum * total);
        while (left > 0) {
            for (uint64_t& word : block)
                word = random.next();
            const uint64_t n = left < block.size() * 8 ? left : block.size() * 8;
            std::fwrite(block.data(), 1, n, out);
            left -= n;
        }
        std::fclose(out);
    }
    std::printf("%ld files, %.0f MB in %s\n", files, total / 1024 / 1024, root.c_str());
    return 0;
}
