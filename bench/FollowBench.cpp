// Follow mode under a steady writer: the viewer's window (offscreen) holds a
// big log and follows it while bench/follow-writer.py appends RATE lines a
// second. Reports how long lines take from their write to the view, and how
// late the event loop runs a 5 ms timer meanwhile (its responsiveness).
// With "off" last, the writer runs but follow mode stays off: the timer's
// lateness on the same machine at the same time, for comparison.
//
//   follow_bench LOG RATE SECONDS WRITER [off]
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ExtCtrls.h"
#include "Forms.h"
#include "Platform.h"
#include "SysUtils.h"
#include "Unit1.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double Millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void Report(const char* what, std::vector<double> samples) {
    if (samples.empty()) {
        std::printf("%-34s no samples\n", what);
        return;
    }
    std::sort(samples.begin(), samples.end());
    auto at = [&](double q) { return samples[static_cast<std::size_t>(q * static_cast<double>(samples.size() - 1))]; };
    std::printf("%-34s median %7.2f ms  p95 %7.2f ms  max %7.2f ms  (%zu samples)\n", what, at(0.5), at(0.95), samples.back(),
                samples.size());
}

// The write time the writer put into the message ("t=<nanoseconds>").
bool StampOf(const String& line, Clock::time_point& stamp) {
    const std::string text = StringToUtf8(line);
    const std::size_t at = text.find("t=");
    if (at == std::string::npos) return false;
    stamp = Clock::time_point(std::chrono::nanoseconds(std::strtoll(text.c_str() + at + 2, nullptr, 10)));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5 && !(argc == 6 && std::string(argv[5]) == "off")) {
        std::fprintf(stderr, "usage: follow_bench LOG RATE SECONDS WRITER [off]\n");
        return 2;
    }
    const bool follow = argc == 5;
    const std::string log = argv[1];
    StartPlatform(argc, argv, TPlatformMode::Offscreen);
    TForm1::SetStartupFileName(FileNameFromBytes(log));
    Application->Initialize();
    Application->SetErrorDisplay(TErrorDisplay::StandardError);
    const auto loadStart = Clock::now();
    Application->CreateForm(Form1);
    std::printf("loaded %d lines in %.0f ms\n", Form1->RichEdit1->Lines()->Count(), Millis(Clock::now() - loadStart));
    Form1->RichEdit1->SetTopLine(Form1->RichEdit1->Lines()->Count());  // at the end, as a follower would be
    if (follow) Form1->ToggleFollow();

    pid_t writer = 0;
    char* writerArgs[] = {argv[4], argv[1], argv[2], argv[3], nullptr};
    if (posix_spawn(&writer, argv[4], nullptr, nullptr, writerArgs, environ) != 0) {
        std::fprintf(stderr, "cannot start the writer %s\n", argv[4]);
        return 1;
    }

    std::vector<double> toView;
    std::vector<double> lateness;
    const auto interval = std::chrono::milliseconds(5);
    const auto end = Clock::now() + std::chrono::milliseconds(static_cast<int>(std::atof(argv[3]) * 1000) + 500);
    auto lastTick = Clock::now();
    int seen = Form1->RichEdit1->Lines()->Count();
    TTimer timer(nullptr);
    timer.SetInterval(5);
    timer.SetOnTimer([&](TObject*) {
        const auto now = Clock::now();
        lateness.push_back(std::max(0.0, Millis(now - lastTick - interval)));
        lastTick = now;
        const TStrings& lines = *Form1->RichEdit1->Lines();
        const int count = lines.Count();
        // The first new line of this tick waited longest: one sample per batch.
        Clock::time_point stamp;
        if (count > seen && StampOf(lines.Get(seen), stamp)) toView.push_back(Millis(now - stamp));
        seen = count;
        if (now > end) Application->Terminate();
    });
    Application->Run();
    int status = 0;
    waitpid(writer, &status, 0);
    std::printf("view holds %d lines; at the end: %s\n", Form1->RichEdit1->Lines()->Count(),
                Form1->RichEdit1->TopLine() + Form1->RichEdit1->VisibleLineCount() >= Form1->RichEdit1->Lines()->Count() ? "yes" : "no");
    if (follow) Report("write to view (first line of a tick)", toView);
    Report(follow ? "event loop lateness (5 ms timer)" : "lateness, follow off (5 ms timer)", lateness);
    Application->Free();
    StopPlatform();
    return 0;
}
