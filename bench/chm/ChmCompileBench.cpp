// Generates a small project and a 2,000-page project (about 20 MB of HTML), compiles each with our compiler and
// with chmcmd, and prints wall time and output size for both. With a folder argument the projects and both
// compilers' outputs are left there (ours.chm, chmcmd.chm), for looking into what each help file holds.
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

void Generate(const fs::path& folder, int pages, std::size_t pageBytes) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::mt19937 random(42);
    static const char* kWords[] = {"help", "topic", "document", "install", "option", "window", "index", "table", "page",
                                   "convert", "heading", "word", "file", "system",
                                   // Chinese text has no spaces: runs of characters between the Latin words
                                   "\xE5\xB8\xAE\xE5\x8A\xA9\xE6\x96\x87\xE6\xA1\xA3",
                                   "\xE5\xAE\x89\xE8\xA3\x85\xE6\x8C\x87\xE5\x8D\x97",
                                   "\xE7\xB3\xBB\xE7\xBB\x9F\xE8\xAE\xBE\xE7\xBD\xAE\xE7\xAA\x97\xE5\x8F\xA3"};
    std::string contents = "<HTML><BODY><UL>\r\n";
    std::string project = "[OPTIONS]\r\nCompiled file=out.chm\r\nContents file=t.hhc\r\nIndex file=t.hhk\r\n"
                          "Default topic=0.html\r\nTitle=Bench\r\nLanguage=0x804\r\nFull-text search=Yes\r\n"
                          "[FILES]\r\n";
    for (int page = 0; page < pages; ++page) {
        std::string html =
            "<html><head><meta charset=utf-8><title>Topic " + std::to_string(page) + "</title></head><body>";
        while (html.size() < pageBytes) {
            html += "<p class=MsoNormal style='margin-left:21pt'>";
            for (int w = 0; w < 12; ++w) {
                html += std::string(kWords[random() % 17]) + " ";
            }
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

// The search index's cost: the same project compiled with and without it.
void MeasureSearchIndex(const char* label, const fs::path& folder) {
    const fs::path project = folder / "t.hhp";
    std::string text;
    {
        std::ifstream stream(project, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(stream), {});
    }
    const auto withoutSearch =
        text.substr(0, text.find("Full-text search=Yes\r\n")) + text.substr(text.find("Full-text search=Yes\r\n") + 22);
    std::ofstream(folder / "nosearch.hhp", std::ios::binary) << withoutSearch;
    auto start = std::chrono::steady_clock::now();
    chm::CompileHelpProject((folder / "nosearch.hhp").string(), {});
    const double plainTime = Seconds(start);
    const auto plainSize = fs::file_size(folder / "out.chm");
    start = std::chrono::steady_clock::now();
    chm::CompileHelpProject(project.string(), {});
    const double searchTime = Seconds(start);
    const auto searchSize = fs::file_size(folder / "out.chm");
    fs::remove(folder / "out.chm");
    fs::remove(folder / "nosearch.hhp");
    std::printf("%-6s search index: +%.3f s (%.3f s without, %.3f s with), +%ju bytes = %.1f%% of the help file\n",
                label, searchTime - plainTime, plainTime, searchTime,
                static_cast<std::uintmax_t>(searchSize - plainSize),
                100.0 * static_cast<double>(searchSize - plainSize) / static_cast<double>(searchSize));
}

// The index alone, in memory, best of three: pages read for their titles only, then read and indexed, on one
// thread and on all.
void MeasureIndexBuild(const char* label, const fs::path& folder) {
    std::vector<std::string> names;
    std::vector<std::string> bytes;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == ".html") {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        std::ifstream stream(folder / name, std::ios::binary);
        bytes.emplace_back(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
    }
    std::vector<chm::PageToRead> pages;
    for (std::size_t i = 0; i < names.size(); ++i) {
        pages.push_back({names[i], bytes[i]});
    }
    const auto best = [&](unsigned threads, bool index) {
        double fastest = 1e9;
        std::size_t size = 0;
        for (int run = 0; run < 3; ++run) {
            const auto start = std::chrono::steady_clock::now();
            chm::FullTextIndex search(936);
            chm::ReadPages(pages, 936, index ? &search : nullptr, threads);
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

void Measure(const char* label, const fs::path& folder, bool keep) {
    MeasureIndexBuild(label, folder);
    MeasureSearchIndex(label, folder);
    auto start = std::chrono::steady_clock::now();
    const bool ours = chm::CompileHelpProject((folder / "t.hhp").string(), {});
    const double ourTime = Seconds(start);
    const auto ourSize = ours ? fs::file_size(folder / "out.chm") : 0;
    if (keep && ours) {
        fs::rename(folder / "out.chm", folder / "ours.chm");
    }
    fs::remove(folder / "out.chm");
    start = std::chrono::steady_clock::now();
    const int status = std::system(("cd '" + folder.string() + "' && chmcmd t.hhp >/dev/null 2>&1").c_str());
    const double theirTime = Seconds(start);
    const auto theirSize = fs::exists(folder / "out.chm") ? fs::file_size(folder / "out.chm") : 0;
    if (keep && theirSize != 0) {
        fs::rename(folder / "out.chm", folder / "chmcmd.chm");
    }
    std::printf("%-6s ours %7.3f s %10ju bytes | chmcmd %7.3f s %10ju bytes (status %d) | %.1fx faster\n", label,
                ourTime, static_cast<std::uintmax_t>(ourSize), theirTime, static_cast<std::uintmax_t>(theirSize),
                status, theirTime / ourTime);
}

} // namespace

int main(int argc, char** argv) {
    const bool keep = argc > 1;
    const fs::path root = keep ? fs::path(argv[1]) : fs::temp_directory_path() / "chm-bench";
    Generate(root / "small", 10, 4000);
    Measure("small", root / "small", keep);
    Generate(root / "large", 2000, 10000);
    Measure("large", root / "large", keep);
    if (!keep) {
        fs::remove_all(root);
    }
    return 0;
}
