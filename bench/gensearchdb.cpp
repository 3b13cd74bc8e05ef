// Writes a synthetic database for the search benchmark: disks spread over catalogues and
// the pseudo-catalogue, file-list files with realistic names (a few with accents), tree
// files, and a comment store.
//
//   gensearchdb DIR [DISKS] [FILE_LINES] [COMMENTS]
//
// Defaults: 1000 disks, 10,000,000 file lines, 100,000 comments. Two marker words let the
// benchmark choose its number of matches: "quokka" stands in about one name in 10,000 and
// "zebra" in one in 100. About half the comments belong to "zebra" files.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
    uint32_t below(uint32_t n) { return uint32_t((next() >> 11) % n); }
};

const char* const kWords[] = {
    "holiday", "beach",   "family",   "report",  "final",   "draft",   "invoice", "budget",
    "summer",  "winter",  "party",    "project", "backup",  "music",   "video",   "notes",
    "letter",  "scan",    "photo",    "track",   "album",   "setup",   "install", "driver",
    "manual",  "readme",  "license",  "config",  "data",    "archive", "game",    "save",
    "level",   "texture", "sound",    "old",     "new",     "copy",    "version", "release",
    "build",   "test",    "demo",     "sample",  "wedding", "garden",  "kitchen", "tax",
    "bank",    "school",  "homework", "thesis",  "chapter", "slides",  "minutes"};
const char* const kAccented[] = {"été",    "Müller", "naïve",  "Ørsted", "café",
                                 "Straße", "señor",  "Zürich", "crème",  "Ångström"};
const char* const kExtensions[] = {"jpg", "JPG", "txt",  "doc",    "docx", "pdf", "mp3", "avi",
                                   "zip", "exe", "dll",  "png",    "gif",  "xls", "ini", "log",
                                   "cpp", "h",   "html", "tar.gz", "wav",  "bmp", "dat", "iso"};
const char* const kFolders[] = {"Games",     "Music",   "Photos", "Documents", "Backup",   "Setup",
                                "Drivers",   "Saves",   "Old",    "Work",      "Projects", "Video",
                                "Downloads", "Archive", "Misc",   "Texts",     "Images",   "Data"};

template <size_t N> const char* pick(Random& random, const char* const (&list)[N])
{
    return list[random.below(N)];
}

void appendNumber(std::string& out, uint64_t value, int width = 0)
{
    char digits[24];
    int n = 0;
    do {
        digits[n++] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n < width)
        digits[n++] = '0';
    while (n > 0)
        out += digits[--n];
}

void fileName(Random& random, std::string& out)
{
    const uint32_t kind = random.below(100);
    if (kind < 25) {
        out += random.below(2) ? "IMG_" : "DSC";
        appendNumber(out, random.below(100000), 4);
        out += random.below(3) ? ".JPG" : ".jpg";
        return;
    }
    if (kind < 35) {
        out += "track";
        appendNumber(out, random.below(30) + 1, 2);
        out += ".mp3";
        return;
    }
    const int words = 1 + int(random.below(3));
    for (int w = 0; w < words; ++w) {
        if (w > 0)
            out += random.below(2) ? "_" : " ";
        if (random.below(50) == 0)
            out += pick(random, kAccented);
        else
            out += pick(random, kWords);
    }
    if (random.below(3) == 0) {
        out += '_';
        appendNumber(out, 1990 + random.below(36));
    }
    out += '.';
    out += pick(random, kExtensions);
}

void dateTime(Random& random, std::string& out)
{
    out += '#';
    appendNumber(out, 1995 + random.below(31));
    out += '-';
    appendNumber(out, 1 + random.below(12), 2);
    out += '-';
    appendNumber(out, 1 + random.below(28), 2);
    if (random.below(20) != 0) {
        out += ' ';
        appendNumber(out, random.below(24), 2);
        out += ':';
        appendNumber(out, random.below(60), 2);
        out += ':';
        appendNumber(out, random.below(60), 2);
    }
    out += '#';
}

bool writeFile(const std::string& path, const std::string& content)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(content.data(), 1, content.size(), f) == content.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: gensearchdb DIR [DISKS] [FILE_LINES] [COMMENTS]\n");
        return 2;
    }
    const std::string root = std::string(argv[1]) + "/";
    const int disks = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int64_t fileLines = argc > 3 ? std::atoll(argv[3]) : 10000000;
    const int comments = argc > 4 ? std::atoi(argv[4]) : 100000;
    Random random{0x9E3779B97F4A7C15ull};

    mkdir(root.c_str(), 0755);
    const int catalogues = 9;
    for (int c = 1; c <= catalogues; ++c)
        mkdir((root + "Catalogue" + std::to_string(c)).c_str(), 0755);

    std::string store;
    store.reserve(size_t(comments) * 80);
    int stored = 0;
    const int64_t perDisk = fileLines / disks;
    std::string list, tree, key, name;
    list.reserve(size_t(perDisk) * 70 + 4096);
    for (int d = 0; d < disks; ++d) {
        // One disk in ten lies in the pseudo-catalogue, the rest in catalogue folders.
        const bool loose = d % 10 == 0;
        const std::string diskName = "Disk " + std::to_string(d + 1);
        const std::string catalogue =
            loose ? std::string(".") : "Catalogue" + std::to_string(1 + d % catalogues);
        const std::string recordPath = catalogue + "\\" + diskName;
        const std::string filePath = (loose ? root : root + catalogue + "/") + diskName;

        list.clear();
        tree.clear();
        std::vector<std::string> folders{""}; // relative paths, root first
        const int64_t lines = perDisk + (d < fileLines % disks ? 1 : 0);
        const int64_t folderCount = 1 + lines / 12;
        for (int64_t f = 1; f < folderCount; ++f) {
            // A new folder below the root or below a recent folder, at most four deep.
            std::string parent =
                folders[folders.size() - 1 -
                        random.below(uint32_t(std::min<size_t>(folders.size(), 8)))];
            if (std::count(parent.begin(), parent.end(), '\\') >= 3)
                parent.clear();
            std::string folder = parent.empty() ? std::string() : parent + "\\";
            folder += pick(random, kFolders);
            if (random.below(2) == 0) {
                folder += ' ';
                folder += pick(random, kWords);
            }
            folder += ' ';
            appendNumber(folder, uint64_t(f));
            folders.push_back(folder);
        }
        for (size_t f = 1; f < folders.size(); ++f)
            tree += ":\\" + folders[f] + "\r\n";
        int64_t written = 0;
        for (size_t f = 0; f < folders.size(); ++f) {
            list += f == 0 ? "\":\"" : "\":\\" + folders[f] + "\"";
            list += "\r\n";
            const int64_t left = lines - written;
            const int64_t foldersLeft = int64_t(folders.size() - f);
            int64_t files = f + 1 == folders.size() ? left : left / foldersLeft;
            for (int64_t i = 0; i < files; ++i) {
                name.clear();
                fileName(random, name);
                const uint32_t marker = random.below(10000);
                if (marker == 0)
                    name.insert(0, "quokka ");
                else if (marker < 100)
                    name.insert(0, marker % 2 ? "Zebra_" : "zebra ");
                list += '"';
                list += name;
                list += "\",";
                appendNumber(list, random.below(5) == 0 ? random.below(100000000)
                                                        : random.below(2000000));
                list += ',';
                dateTime(random, list);
                list += "\r\n";
                if (stored < comments &&
                    (marker > 0 && marker < 100 ? random.below(2) == 0 : random.below(150) == 0)) {
                    key = recordPath + "\\" + (f == 0 ? std::string() : folders[f] + "\\") + name;
                    store += "\"" + key + "\",\"comment " + std::to_string(stored) + " " +
                             pick(random, kWords) + "\"\r\n";
                    ++stored;
                }
            }
            written += files;
        }
        const std::string info =
            "25\r\n/media/bench/" + diskName + "/\r\n1234.56MB\r\n05/12/2026 10:00:00\r\n 0 \r\n";
        if (!writeFile(filePath + ".i", info) || !writeFile(filePath + ".t", tree) ||
            !writeFile(filePath + ".f", list)) {
            std::fprintf(stderr, "gensearchdb: cannot write %s\n", filePath.c_str());
            return 1;
        }
    }
    if (!writeFile(root + "FileComments.dat", store)) {
        std::fprintf(stderr, "gensearchdb: cannot write the comment store\n");
        return 1;
    }
    std::printf("%d disks, %lld file lines, %d comments in %s\n", disks,
                static_cast<long long>(fileLines), stored, root.c_str());
    return 0;
}
