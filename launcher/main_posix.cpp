#include "launchpaths.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char **environ;

namespace {

// The path the system keeps for this process, not argv[0]: a launcher started through a link or by a bare
// name still finds the "soft" beside its real file.
std::string ownExecutablePath()
{
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return {};
        if (static_cast<size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(length));
        buffer.resize(buffer.size() * 2);
    }
}

bool isRegularFile(const std::string &path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// Whatever the launcher was handed beyond the standard three stays with it.
void keepOwnDescriptors(posix_spawn_file_actions_t *actions)
{
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    posix_spawn_file_actions_addclosefrom_np(actions, 3);
#else
    (void)actions;
    const long limit = sysconf(_SC_OPEN_MAX);
    for (int fd = 3; fd < (limit > 0 && limit < 65536 ? limit : 65536); ++fd) {
        const int flags = fcntl(fd, F_GETFD);
        if (flags >= 0)
            fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
    }
#endif
}

} // namespace

int main(int argc, char **argv)
{
    const launcher::LaunchPaths<char> paths =
        launcher::deriveLaunchPaths(ownExecutablePath(), launcher::posixPathRules<char>());
    if (!isRegularFile(paths.targetPath))
        return 0;

    std::vector<char *> args;
    args.push_back(const_cast<char *>(paths.targetPath.c_str()));
    for (int i = 1; i < argc; ++i)
        args.push_back(argv[i]);
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, paths.softDirectory.c_str());
    keepOwnDescriptors(&actions);

    // The configurator runs on by itself: no wait, no pipes; init reaps it.
    pid_t pid = 0;
    const int result = posix_spawn(&pid, paths.targetPath.c_str(), &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return result == 0 ? 0 : launcher::startFailedStatus;
}
