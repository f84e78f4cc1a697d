#include "testprocess.h"

#include "launchpaths.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>

const char *const executableSuffix = ".exe";

namespace {

std::wstring wide(const std::string &text)
{
    if (text.empty())
        return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0], size);
    return result;
}

std::string narrow(const std::wstring &text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0], size, nullptr,
                        nullptr);
    return result;
}

} // namespace

RunResult runProcess(const fs::path &program, const std::string &argv0, const std::vector<std::string> &args,
                     const std::vector<std::string> &environment, const fs::path &output, int timeoutMs,
                     const RunOptions &options)
{
    std::vector<std::wstring> wideArgs;
    for (const auto &arg : args)
        wideArgs.push_back(wide(arg));
    std::wstring commandLine = launcher::buildCommandLine(wide(argv0), wideArgs);
    std::wstring block;
    for (const auto &entry : environment) {
        block += wide(entry);
        block += L'\0';
    }
    block += L'\0';
    if (environment.empty())
        block += L'\0';

    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    const HANDLE out = CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = options.hiddenWindow ? SW_HIDE : SW_SHOWNORMAL;
    startup.hStdInput = nullptr;
    startup.hStdOutput = out;
    startup.hStdError = out;
    PROCESS_INFORMATION process = {};
    const DWORD flags = CREATE_UNICODE_ENVIRONMENT |
                        (options.belowNormalPriority ? BELOW_NORMAL_PRIORITY_CLASS : NORMAL_PRIORITY_CLASS);
    // Under Wine a new process now and then dies while it is being set up, and the start fails with
    // ERROR_INTERNAL_ERROR (seen about once in a thousand starts on a busy machine); that is the emulator's,
    // not the program's, so such a start is tried again.
    BOOL started = FALSE;
    for (int attempt = 0; attempt < 3; ++attempt) {
        started = CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, flags, &block[0],
                                 nullptr, &startup, &process);
        if (started || GetLastError() != ERROR_INTERNAL_ERROR)
            break;
        std::printf("  (the system failed to set up a new process: started again)\n");
    }
    CloseHandle(out);
    RunResult result;
    if (!started)
        return result;
    CloseHandle(process.hThread);
    if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        result.finished = true;
        result.status = static_cast<int>(code);
    } else {
        TerminateProcess(process.hProcess, 255);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    CloseHandle(process.hProcess);
    return result;
}

std::vector<std::string> processEnvironment()
{
    std::vector<std::string> entries;
    wchar_t *environment = GetEnvironmentStringsW();
    for (const wchar_t *entry = environment; entry && *entry; entry += wcslen(entry) + 1)
        entries.push_back(narrow(entry));
    FreeEnvironmentStringsW(environment);
    return entries;
}

unsigned processId()
{
    return GetCurrentProcessId();
}

void makeExecutable(const fs::path &, bool) {}

std::string utf8Path(const fs::path &path)
{
    return narrow(path.wstring());
}

fs::path fromUtf8(const std::string &path)
{
    return fs::path(wide(path));
}

Marker openInheritableMarker(const fs::path &file)
{
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    const HANDLE handle =
        CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inheritable, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    char value[32];
    std::snprintf(value, sizeof value, "%llx",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(handle)));
    return {value, std::string("LAUNCHER_PROBE_HANDLE=") + value,
            static_cast<long long>(reinterpret_cast<intptr_t>(handle))};
}

void closeInheritableMarker(const Marker &marker)
{
    const HANDLE handle = reinterpret_cast<HANDLE>(static_cast<intptr_t>(marker.native));
    if (handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
}
