// Finding in a big log through the line store: the next match from the
// start when the only one is on the last line (literal and expression), and
// counting every match (literal, and the level field as an expression);
// medians of RUNS, and how much the resident memory grew past the loaded
// store.
//
//   find_bench FILE [RUNS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "LineStore.h"
#include "TextSearch.h"

namespace {

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(1 << 16, '\n');
    }
    return -1;
}

double MedianSeconds(int runs, const std::function<void()>& body) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        body();
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: find_bench FILE [RUNS]\n");
        return 1;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    TLineStore store;
    const auto loadStart = std::chrono::steady_clock::now();
    store.LoadFromFile(S(argv[1]));
    const double load = std::chrono::duration<double>(std::chrono::steady_clock::now() - loadStart).count();
    const long loaded = ResidentKiB();
    std::printf("lines %d, load %.3f s, resident after load %ld KiB\n", store.Count(), load, loaded);

    struct Task {
        const char* name;
        const char16_t* text;
        bool regex;
        bool count;
    } tasks[] = {
        {"next, literal", u"zzfindme", false, false},
        {"next, expression", u"zzfind[m]e\\b", true, false},
        {"count, literal", u"ERRO ", false, true},
        {"count, ^.{25}ERRO ", u"^.{25}ERRO ", true, true},
    };
    long peak = loaded;
    for (const Task& task : tasks) {
        TSearchPattern pattern(task.text, {true, task.regex, false});
        std::string result;
        const double seconds = MedianSeconds(runs, [&] {
            if (task.count) {
                result = "count " + std::to_string(CountMatches(pattern, store));
            } else {
                const TTextMatch match = FindForward(pattern, store, 0, 0);
                result = "line " + std::to_string(match.Line) + " column " + std::to_string(match.Column);
            }
            peak = std::max(peak, ResidentKiB());
        });
        std::printf("%-20s median %.3f s  (%s)\n", task.name, seconds, result.c_str());
    }
    std::printf("resident growth past the loaded store: %ld KiB\n", peak - loaded);
    return 0;
}
