// Stands in for the configurator in the "soft" folder of a test layout: writes what it was started with
// (arguments, environment, working directory and, per platform, descriptors or start-up state) into the
// file named by LAUNCHER_PROBE_RECORD, as NUL-separated tag and value pairs in UTF-8.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>
#else
#include <dirent.h>
#include <unistd.h>

#include <climits>
#include <vector>

extern char **environ;
#endif

namespace {

class Record
{
public:
    void add(const std::string &tag, const std::string &value)
    {
        text += tag;
        text += '\0';
        text += value;
        text += '\0';
    }
    std::string text;
};

#ifdef _WIN32
using NativeString = std::wstring;

std::string utf8(const std::wstring &wide)
{
    if (wide.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &result[0], size, nullptr,
                        nullptr);
    return result;
}

NativeString variable(const wchar_t *name)
{
    const wchar_t *value = _wgetenv(name);
    return value ? value : L"";
}

bool exists(const NativeString &path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool writeFile(const NativeString &path, const std::string &content)
{
    FILE *file = _wfopen(path.c_str(), L"wb");
    if (!file)
        return false;
    const bool ok = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    return std::fclose(file) == 0 && ok;
}

bool publish(const NativeString &part, const NativeString &path)
{
    return MoveFileExW(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

void describe(Record &record, int argc, wchar_t **argv)
{
    for (int i = 0; i < argc; ++i)
        record.add(i == 0 ? "argv0" : "arg", utf8(argv[i]));

    // The configurator's toolkit reads the command line with the shell's parser, so both must agree.
    int shellCount = 0;
    wchar_t **shellArgs = CommandLineToArgvW(GetCommandLineW(), &shellCount);
    for (int i = 1; shellArgs && i < shellCount; ++i)
        record.add("shellarg", utf8(shellArgs[i]));
    LocalFree(shellArgs);

    wchar_t *environment = GetEnvironmentStringsW();
    for (const wchar_t *entry = environment; entry && *entry; entry += wcslen(entry) + 1)
        record.add("env", utf8(entry));
    FreeEnvironmentStringsW(environment);

    wchar_t directory[32768];
    const DWORD length = GetCurrentDirectoryW(32768, directory);
    record.add("cwd", utf8(std::wstring(directory, length)));

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    record.add("showflag", (startup.dwFlags & STARTF_USESHOWWINDOW) ? "1" : "0");
    record.add("show", std::to_string(startup.wShowWindow));
    record.add("priority", std::to_string(GetPriorityClass(GetCurrentProcess())));

    // A handle value the test made inheritable: does it name the marker file here too?
    const std::wstring marker = variable(L"LAUNCHER_PROBE_HANDLE");
    if (!marker.empty()) {
        const HANDLE handle =
            reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::wcstoull(marker.c_str(), nullptr, 16)));
        wchar_t path[32768];
        const DWORD pathLength = GetFinalPathNameByHandleW(handle, path, 32768, 0);
        record.add("handle",
                   pathLength > 0 && pathLength < 32768 ? utf8(std::wstring(path, pathLength)) : "");
    }
}
#else
using NativeString = std::string;

NativeString variable(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

bool exists(const NativeString &path)
{
    return access(path.c_str(), F_OK) == 0;
}

bool writeFile(const NativeString &path, const std::string &content)
{
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool ok = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    return std::fclose(file) == 0 && ok;
}

bool publish(const NativeString &part, const NativeString &path)
{
    return std::rename(part.c_str(), path.c_str()) == 0;
}

void describe(Record &record, int argc, char **argv)
{
    // Descriptors first, before the probe opens anything of its own.
    if (DIR *directory = opendir("/proc/self/fd")) {
        const std::string own = std::to_string(dirfd(directory));
        while (const dirent *entry = readdir(directory)) {
            const std::string name = entry->d_name;
            if (name != "." && name != ".." && name != own)
                record.add("fd", name);
        }
        closedir(directory);
    }
    for (int i = 0; i < argc; ++i)
        record.add(i == 0 ? "argv0" : "arg", argv[i]);
    for (char **entry = environ; *entry; ++entry)
        record.add("env", *entry);
    std::vector<char> directory(PATH_MAX + 1);
    record.add("cwd", getcwd(directory.data(), directory.size()) ? directory.data() : "");
}
#endif

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t **argv)
{
    const NativeString recordPath = variable(L"LAUNCHER_PROBE_RECORD");
    const NativeString holdPath = variable(L"LAUNCHER_PROBE_HOLD");
    const NativeString partSuffix = L".part", releasedSuffix = L".released";
#else
int main(int argc, char **argv)
{
    const NativeString recordPath = variable("LAUNCHER_PROBE_RECORD");
    const NativeString holdPath = variable("LAUNCHER_PROBE_HOLD");
    const NativeString partSuffix = ".part", releasedSuffix = ".released";
#endif
    if (recordPath.empty())
        return 2;
    Record record;
    describe(record, argc, argv);
    record.add("end", "");
    // Written aside and renamed, so the test never reads half a record.
    if (!writeFile(recordPath + partSuffix, record.text) || !publish(recordPath + partSuffix, recordPath))
        return 3;

    if (!holdPath.empty()) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (!exists(holdPath) && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        writeFile(recordPath + releasedSuffix, "released");
    }
    return 0;
}
