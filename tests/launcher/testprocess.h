#pragma once

// What the launcher tests need from the platform: real processes with a chosen program name, arguments
// and environment, and a marker handle to see whether it leaks into a started program.

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

struct RunOptions
{
    bool belowNormalPriority = false; // Windows: the launcher itself runs below normal
    bool hiddenWindow = false;        // Windows: the launcher itself is asked for a hidden window
};

struct RunResult
{
    bool finished = false;
    int status = -1;
};

extern const char *const executableSuffix;

// Starts program with argv0 as its program name; stdout and stderr go to output. Waits for its end at most
// timeoutMs, and kills it after that.
RunResult runProcess(const fs::path &program, const std::string &argv0, const std::vector<std::string> &args,
                     const std::vector<std::string> &environment, const fs::path &output, int timeoutMs,
                     const RunOptions &options = {});

std::vector<std::string> processEnvironment();
unsigned processId();
void makeExecutable(const fs::path &file, bool executable);
std::string utf8Path(const fs::path &path);
fs::path fromUtf8(const std::string &path);

// An inheritable descriptor (POSIX) or handle (Windows) onto file while it is open; its value as the probe
// reports it, and the environment entry that tells the probe about it (empty on POSIX).
struct Marker
{
    std::string value;
    std::string environmentEntry;
    long long native = -1;
};
Marker openInheritableMarker(const fs::path &file);
void closeInheritableMarker(const Marker &marker);
