#include "testprocess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char **environ;

const char *const executableSuffix = "";

RunResult runProcess(const fs::path &program, const std::string &argv0, const std::vector<std::string> &args,
                     const std::vector<std::string> &environment, const fs::path &output, int timeoutMs,
                     const RunOptions &)
{
    std::vector<char *> argv{const_cast<char *>(argv0.c_str())};
    for (const auto &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    std::vector<char *> envp;
    for (const auto &entry : environment)
        envp.push_back(const_cast<char *>(entry.c_str()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    const int started = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    RunResult result;
    if (started != 0)
        return result;

    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    for (;;) {
        if (waitpid(pid, &status, WNOHANG) == pid) {
            result.finished = true;
            result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return result;
        }
        if (std::chrono::steady_clock::now() > giveUp)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return result;
}

std::vector<std::string> processEnvironment()
{
    std::vector<std::string> entries;
    for (char **entry = environ; *entry; ++entry)
        entries.emplace_back(*entry);
    return entries;
}

unsigned processId()
{
    return static_cast<unsigned>(getpid());
}

void makeExecutable(const fs::path &file, bool executable)
{
    chmod(file.c_str(), executable ? 0755 : 0644);
}

std::string utf8Path(const fs::path &path)
{
    return path.string();
}

fs::path fromUtf8(const std::string &path)
{
    return fs::path(path);
}

Marker openInheritableMarker(const fs::path &file)
{
    const int descriptor = open(file.c_str(), O_RDWR | O_CREAT, 0644); // no O_CLOEXEC: children get it
    return {std::to_string(descriptor), "", descriptor};
}

void closeInheritableMarker(const Marker &marker)
{
    if (marker.native >= 0)
        close(static_cast<int>(marker.native));
}
