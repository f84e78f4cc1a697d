#include "launchpaths.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

// The module's own path, not argv[0]; long paths are read in full rather than cut at MAX_PATH.
std::wstring ownExecutablePath()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        if (buffer.size() >= 65536)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

bool isRegularFile(const std::wstring &path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    const launcher::LaunchPaths<wchar_t> paths =
        launcher::deriveLaunchPaths(ownExecutablePath(), launcher::windowsPathRules<wchar_t>());
    if (!isRegularFile(paths.targetPath))
        return 0;

    std::wstring commandLine =
        launcher::buildCommandLine(paths.targetPath, std::vector<std::wstring>(argv + 1, argv + argc));

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION process = {};

    wchar_t *environment = GetEnvironmentStringsW();
    const BOOL started = CreateProcessW(paths.targetPath.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                                        CREATE_UNICODE_ENVIRONMENT | NORMAL_PRIORITY_CLASS, environment,
                                        paths.softDirectory.c_str(), &startup, &process);
    if (environment)
        FreeEnvironmentStringsW(environment);
    if (!started)
        return launcher::startFailedStatus;

    // Closing the handles neither stops nor waits for the configurator.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}
