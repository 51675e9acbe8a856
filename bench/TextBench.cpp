// Times the text engine on a log file: loading into the view's document,
// the three level counts, the colouring pass, and the filter (a string list
// load and the loop that adds one level's lines to the view).
//
//   text_bench FILE [open|filter|all] [--runs N]
//
// Prints the median of N runs (default 5) of each step, and the peak
// resident memory of the process. Keep FILE in the page cache (read it once
// before) so that the disk does not decide the numbers.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "RichText.h"
#include "Strings.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

std::map<std::string, std::vector<double>> timings;

template <class F>
void Time(const char* step, F&& work) {
    const auto start = Clock::now();
    work();
    timings[step].push_back(Seconds(start));
}

// The level code of a line, as the viewer reads it: columns 26 to 30.
String LevelCode(const TStrings& lines, int index) { return lines.Mid(index, 25, 5); }

int CountLevel(const TStrings& lines, const String& level) {
    int count = 0;
    const int n = lines.Count();
    for (int i = 0; i < n; ++i)
        if (LevelCode(lines, i) == level) ++count;
    return count;
}

// Per line: the 7-character level field in its colour, the message bold.
void Colour(TRichTextDocument& doc) {
    TStrings& lines = doc.Lines();
    lines.BeginUpdate();
    TTextPosition lineStart = 0;
    const int n = lines.Count();
    for (int i = 0; i < n; ++i) {
        const int length = lines.Length(i);
        doc.SetSelStart(lineStart + 24);
        doc.SetSelLength(7);
        const String level = LevelCode(lines, i);
        doc.SelAttributes().SetColor(level == u"INFO " ? clBlue : level == u"ERRO " ? clRed : level == u"AVISO" ? clOlive : clBlack);
        if (length - 30 > 0) {
            doc.SetSelStart(lineStart + 31);
            doc.SetSelLength(length - 30);
            doc.SelAttributes().SetStyle({fsBold});
        }
        lineStart += length + 1;
    }
    doc.SetSelStart(0);
    doc.SetSelLength(0);
    lines.EndUpdate();
}

void OpenAndColour(TRichTextDocument& doc, const String& file, int counts[3]) {
    Time("view load", [&] { doc.Lines().LoadFromFile(file); });
    Time("three counts", [&] {
        counts[0] = CountLevel(doc.Lines(), u"INFO ");
        counts[1] = CountLevel(doc.Lines(), u"AVISO");
        counts[2] = CountLevel(doc.Lines(), u"ERRO ");
    });
    Time("colouring", [&] { Colour(doc); });
}

void Filter(TRichTextDocument& doc, const String& file, int& matched) {
    TStringList log;
    Time("list load", [&] { log.LoadFromFile(file); });
    Time("filter loop", [&] {
        TStrings& lines = doc.Lines();
        lines.BeginUpdate();
        lines.Clear();
        const int n = log.Count();
        for (int i = 0; i < n; ++i)
            if (LevelCode(log, i) == u"ERRO ") lines.AddFrom(log, i);
        lines.EndUpdate();
    });
    Time("filter colouring", [&] { Colour(doc); });
    matched = doc.Lines().Count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: text_bench FILE [open|filter|all] [--runs N]\n");
        return 1;
    }
    const String file = Utf8ToString(argv[1]);
    std::string what = "all";
    int runs = 5;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            what = argv[i];
    }
    int counts[3] = {0, 0, 0};
    int matched = 0;
    std::size_t lines = 0, boundaries = 0, runMemory = 0, storeMemory = 0;
    for (int run = 0; run < runs; ++run) {
        TRichTextDocument doc;
        OpenAndColour(doc, file, counts);
        lines = static_cast<std::size_t>(doc.Lines().Count());
        boundaries = doc.Runs().BoundaryCount();
        runMemory = doc.Runs().MemoryUsed();
        storeMemory = doc.Store().MemoryUsed();
        if (what != "open") Filter(doc, file, matched);
    }
    std::printf("%zu lines; info %d, warn %d, error %d; filter kept %d\n", lines, counts[0], counts[1], counts[2], matched);
    std::printf("store %.1f MB, runs %.1f MB for %zu boundaries (%.2f bytes each)\n", storeMemory / 1e6, runMemory / 1e6,
                boundaries, boundaries ? double(runMemory) / double(boundaries) : 0.0);
    for (const char* step : {"view load", "three counts", "colouring", "list load", "filter loop", "filter colouring"})
        if (timings.count(step)) std::printf("%-17s %.3f s (median of %d)\n", step, Median(timings[step]), runs);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak RSS %.1f MB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
