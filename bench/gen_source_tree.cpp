// Builds a synthetic source tree for the cataloguing benchmark:
//   gen_source_tree DIR [FILES=200000] [FOLDERS=20000] [SEED=1]
// Mixed name lengths and letter case, about 3% hidden entries, a few deep chains, file sizes
// set sparsely and modification times spread over ten years. The same seed gives the same tree.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
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
    int below(int n) { return int(next() % uint64_t(n)); }
};

const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 _-";
const char* kExtensions[] = {"txt", "jpg", "png", "mp3", "doc", "pdf",
                             "cpp", "h",   "tmp", "dat", "JPG", "html"};

std::string name(Random& r, bool withExtension)
{
    // Mostly short names, some long ones.
    const int length = r.below(10) < 8 ? 3 + r.below(14) : 20 + r.below(60);
    std::string s;
    if (r.below(100) < 3)
        s += '.';
    for (int i = 0; i < length; ++i) {
        char c = kLetters[r.below(sizeof kLetters - 1)];
        if ((i == 0 || i == length - 1) && c == ' ')
            c = 'x';
        s += c;
    }
    if (withExtension) {
        s += '.';
        s += kExtensions[r.below(sizeof kExtensions / sizeof *kExtensions)];
    }
    return s;
}

void fail(const std::string& what)
{
    std::fprintf(stderr, "gen_source_tree: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: gen_source_tree DIR [FILES] [FOLDERS] [SEED]\n");
        return 2;
    }
    const std::string root = argv[1];
    const long files = argc > 2 ? std::atol(argv[2]) : 200000;
    const long folders = argc > 3 ? std::atol(argv[3]) : 20000;
    Random r{argc > 4 ? uint64_t(std::atoll(argv[4])) * 2654435761u + 1 : 88172645463325252ull};

    if (mkdir(root.c_str(), 0755) != 0 && errno != EEXIST)
        fail(root);
    std::vector<std::string> paths{root};
    paths.reserve(size_t(folders));
    while (long(paths.size()) < folders) {
        std::string parent;
        const int pick = r.below(100);
        if (pick < 2 && paths.size() > 1) {
            // A deep chain below a random folder.
            parent = paths[size_t(r.below(int(paths.size())))];
            const int depth = 10 + r.below(20);
            for (int d = 0; d < depth && long(paths.size()) < folders; ++d) {
                parent += '/';
                parent += "level" + std::to_string(d);
                if (mkdir(parent.c_str(), 0755) != 0 && errno != EEXIST)
                    fail(parent);
                paths.push_back(parent);
            }
            continue;
        }
        // Mostly below a recent folder, so the tree gets depth as well as breadth.
        const size_t n = paths.size();
        parent = pick < 60 ? paths[n - 1 - size_t(r.below(int(std::min<size_t>(n, 50))))]
                           : paths[size_t(r.below(int(n)))];
        std::string path = parent + '/' + name(r, false);
        if (mkdir(path.c_str(), 0755) != 0) {
            if (errno == EEXIST || errno == ENAMETOOLONG)
                continue;
            fail(path);
        }
        paths.push_back(path);
    }

    const int64_t now = 1764000000; // late 2025
    for (long i = 0; i < files; ++i) {
        const std::string& folder = paths[size_t(r.below(int(paths.size())))];
        const std::string path = folder + '/' + name(r, true);
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) {
            if (errno == ENAMETOOLONG)
                continue;
            fail(path);
        }
        const off_t size = r.below(10) < 7 ? r.below(100000) : off_t(r.below(1 << 30));
        if (ftruncate(fd, size) != 0)
            fail(path);
        struct timespec times[2];
        times[0].tv_sec = times[1].tv_sec = time_t(now - int64_t(r.next() % (86400ull * 3650)));
        times[0].tv_nsec = times[1].tv_nsec = 0;
        if (futimens(fd, times) != 0)
            fail(path);
        close(fd);
    }
    std::printf("%s: %ld folders, %ld files\n", root.c_str(), long(paths.size()), files);
    return 0;
}
