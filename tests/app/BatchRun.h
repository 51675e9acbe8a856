// Running the viewer's batch mode from a test, the way a script does.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

struct TRun {
    int status = -1;  // the exit status; -1 when the program did not exit
    std::string out;
    std::string err;
};

// A word for the shell, taken literally whatever bytes it holds.
inline std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs a shell command; its error stream goes through errFile.
inline TRun RunShell(const std::string& command, const std::filesystem::path& errFile) {
    TRun run;
    FILE* pipe = popen((command + " 2>" + Quote(errFile.string())).c_str(), "r");
    if (!pipe) return run;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0) run.out.append(buf.data(), n);
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream e(errFile, std::ios::binary);
    std::stringstream ss;
    ss << e.rdbuf();
    run.err = ss.str();
    return run;
}

// The viewer's program, quoted for the shell.
inline std::string Viewer() { return Quote(LUMIVAR_BINARY); }
