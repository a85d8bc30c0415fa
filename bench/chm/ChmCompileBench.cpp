// Generates a small project and a 2,000-page project (about 20 MB of HTML), compiles each with our compiler and
// with chmcmd, and prints wall time and output size for both. The large project comes twice: with Chinese text
// between the English words, and English only; chmcmd leaves Chinese out of its search index, so only the
// English-only one compares two indexes of the same words. Times are the best of three rounds (ours in process
// and as a process, chmcmd as a process): the machines this runs on are shared and noisy. With a folder
// argument the projects and both compilers' outputs are left there (ours.chm, chmcmd.chm), for looking into
// what each help file holds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "HelpCompiler.h"
#include "PageReader.h"

namespace fs = std::filesystem;

namespace {

void Generate(const fs::path& folder, int pages, size_t pageBytes, bool chinese) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::mt19937 random(42);
    static const char* kWords[] = {"help", "topic", "document", "install", "option", "window", "index", "table", "page",
                                   "convert", "heading", "word", "file", "system",
                                   // Chinese text has no spaces: runs of characters between the Latin words
                                   "\xE5\xB8\xAE\xE5\x8A\xA9\xE6\x96\x87\xE6\xA1\xA3",
                                   "\xE5\xAE\x89\xE8\xA3\x85\xE6\x8C\x87\xE5\x8D\x97",
                                   "\xE7\xB3\xBB\xE7\xBB\x9F\xE8\xAE\xBE\xE7\xBD\xAE\xE7\xAA\x97\xE5\x8F\xA3"};
    const unsigned wordCount = chinese ? 17 : 14;
    std::string contents = "<HTML><BODY><UL>\r\n";
    std::string project = "[OPTIONS]\r\nCompiled file=out.chm\r\nContents file=t.hhc\r\nIndex file=t.hhk\r\n"
                          "Default topic=0.html\r\nTitle=Bench\r\nLanguage=0x804\r\nFull-text search=Yes\r\n"
                          "[FILES]\r\n";
    for (int page = 0; page < pages; ++page) {
        std::string html =
            "<html><head><meta charset=utf-8><title>Topic " + std::to_string(page) + "</title></head><body>";
        while (html.size() < pageBytes) {
            html += "<p class=MsoNormal style='margin-left:21pt'>";
            for (int w = 0; w < 12; ++w)
                html += std::string(kWords[random() % wordCount]) + " ";
            html += std::to_string(random() % 100000) + "</p>\r\n";
        }
        html += "</body></html>";
        std::ofstream(folder / (std::to_string(page) + ".html"), std::ios::binary) << html;
        project += std::to_string(page) + ".html\r\n";
        contents += "<LI> <OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"Topic " + std::to_string(page) +
                    "\"><param name=\"Local\" value=\"" + std::to_string(page) + ".html\"></OBJECT>\r\n";
    }
    contents += "</UL></BODY></HTML>\r\n";
    std::ofstream(folder / "t.hhc", std::ios::binary) << contents;
    std::ofstream(folder / "t.hhk", std::ios::binary) << contents;
    std::ofstream(folder / "t.hhp", std::ios::binary) << project;
}

double Seconds(const std::chrono::steady_clock::time_point& start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The index alone, in memory, best of three: pages read for their titles only, then read and indexed, on one
// thread and on all.
void MeasureIndexBuild(const char* label, const fs::path& folder) {
    std::vector<std::string> names;
    std::vector<std::string> bytes;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".html")
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        std::ifstream stream(folder / name, std::ios::binary);
        bytes.emplace_back(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
    }
    std::vector<PageToRead> pages;
    for (size_t i = 0; i < names.size(); ++i)
        pages.push_back({names[i], bytes[i]});
    const auto best = [&](unsigned threads, bool index) {
        double fastest = 1e9;
        size_t size = 0;
        for (int run = 0; run < 3; ++run) {
            const auto start = std::chrono::steady_clock::now();
            FullTextIndex search(936);
            ReadPages(pages, 936, index ? &search : nullptr, threads);
            size = index ? search.Build().size() : 0;
            fastest = std::min(fastest, Seconds(start));
        }
        return std::pair{fastest, size};
    };
    const double titlesOnly = best(0, false).first;
    const auto [oneThread, size] = best(1, true);
    const double allThreads = best(0, true).first;
    std::printf("%-6s index alone: %ju bytes; pages read for titles %.3f s, read and indexed %.3f s on one thread, "
                "%.3f s on all\n",
                label, static_cast<std::uintmax_t>(size), titlesOnly, oneThread, allThreads);
}

// Wall time of compile(), which must leave out.chm in folder; its size goes to size (0 on failure).
template <typename Compile> double Timed(const fs::path& folder, std::uintmax_t& size, Compile compile) {
    fs::remove(folder / "out.chm");
    const auto start = std::chrono::steady_clock::now();
    const bool ok = compile();
    const double seconds = Seconds(start);
    size = ok && fs::exists(folder / "out.chm") ? fs::file_size(folder / "out.chm") : 0;
    return seconds;
}

// leafbind-hhc, built beside this benchmark: our compiler as a process, the way chmcmd is run.
fs::path OurCommand() {
    return fs::read_symlink("/proc/self/exe").parent_path() / "leafbind-hhc";
}

// One project file against chmcmd, best of three rounds; in each round ours runs in process (how the converter
// calls it) and as a process, then chmcmd, so that a slow spell of the shared machine hits both compilers. The
// outputs are kept as ours.chm and chmcmd.chm when keep is set.
void Compare(const std::string& label, const fs::path& folder, const std::string& projectName, bool keep) {
    const auto run = [&](const std::string& program) {
        const std::string command =
            "cd '" + folder.string() + "' && '" + program + "' '" + projectName + "' >/dev/null 2>&1";
        return std::system(command.c_str()) == 0;
    };
    double ourTime = 1e9;
    double processTime = 1e9;
    double theirTime = 1e9;
    std::uintmax_t ourSize = 0;
    std::uintmax_t theirSize = 0;
    for (int round = 0; round < 3; ++round) {
        std::uintmax_t size = 0;
        processTime = std::min(processTime, Timed(folder, size, [&] { return run(OurCommand().string()); }));
        ourTime = std::min(
            ourTime, Timed(folder, ourSize, [&] { return CompileHelpProject((folder / projectName).string(), {}); }));
        if (keep && ourSize != 0)
            fs::rename(folder / "out.chm", folder / "ours.chm");
        theirTime = std::min(theirTime, Timed(folder, theirSize, [&] { return run("chmcmd"); }));
        if (keep && theirSize != 0)
            fs::rename(folder / "out.chm", folder / "chmcmd.chm");
    }
    fs::remove(folder / "out.chm");
    std::printf("%-26s ours %7.3f s (process %7.3f s) %10ju bytes | chmcmd %7.3f s %10ju bytes | %5.1fx faster "
                "(%4.1fx as processes), %+.1f%% size\n",
                label.c_str(), ourTime, processTime, ourSize, theirTime, theirSize, theirTime / ourTime,
                theirTime / processTime,
                theirSize == 0 ? 0.0 : 100.0 * (static_cast<double>(ourSize) / static_cast<double>(theirSize) - 1));
}

void Measure(const char* label, const fs::path& folder, bool keep) {
    MeasureIndexBuild(label, folder);
    std::string project;
    {
        std::ifstream stream(folder / "t.hhp", std::ios::binary);
        project.assign(std::istreambuf_iterator<char>(stream), {});
    }
    const std::string searchLine = "Full-text search=Yes\r\n";
    project.erase(project.find(searchLine), searchLine.size());
    std::ofstream(folder / "nosearch.hhp", std::ios::binary) << project;
    Compare(std::string(label) + ", search off", folder, "nosearch.hhp", false);
    Compare(std::string(label) + ", search on", folder, "t.hhp", keep);
}

} // namespace

int main(int argc, char** argv) {
    const bool keep = argc > 1;
    const fs::path root = keep ? fs::path(argv[1]) : fs::temp_directory_path() / "chm-bench";
    Generate(root / "small", 10, 4000, true);
    Measure("small", root / "small", keep);
    Generate(root / "large", 2000, 10000, true);
    Measure("large", root / "large", keep);
    Generate(root / "large-english", 2000, 10000, false);
    Measure("large-english", root / "large-english", keep);
    if (!keep)
        fs::remove_all(root);
    return 0;
}
