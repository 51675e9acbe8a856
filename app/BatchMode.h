// The command line of the viewer and its batch mode: the real window run off
// screen for scripts, benchmarks and tests.
#pragma once

#include <string>
#include <vector>

struct TBatchStep {
    enum TKind { Open, Click } Kind;
    std::string Argument;
};

struct TCommandLine {
    bool Batch = false;
    bool ClassicPalette = false;
    // File names (FILE, --open PATH) stay the platform's bytes as given.
    std::string FileName;          // FILE, or empty for the default path
    std::vector<TBatchStep> Steps;  // --open and --click, in order
    std::string Screenshot;         // --screenshot OUT.png
    bool State = false;             // --state
    bool Lines = false;             // --lines
    // --find TEXT with --regex, --match-case, --whole-word: found from the
    // start of the view after the steps, and counted, for --state.
    bool Find = false;
    std::string FindText;
    bool Regex = false;
    bool MatchCase = false;
    bool WholeWord = false;
    std::string Error;              // set when the arguments are wrong
};

TCommandLine ParseCommandLine(int argc, char** argv);
std::string UsageText();
// Runs the batch steps; returns the process's exit status (2 when an error
// box would have been shown, 0 otherwise).
int RunBatch(const TCommandLine& commandLine, int& argc, char** argv);
