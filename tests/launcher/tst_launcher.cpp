// The launcher as a user meets it: a real launcher executable copied into a temporary layout, a probe in
// its "soft" folder that records what it was started with. Plain C++ so that the same cases run in the
// Windows cross build under Wine.
//
//   tst_launcher --launcher <file> --probe <file> [case...]

#include "launchpaths.h"
#include "testprocess.h"
#include "velon_version.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <thread>

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>
#endif

namespace {

#ifdef _WIN32
constexpr bool windowsBuild = true;
constexpr int settleMs = 1500; // how long a wrongly started probe would need to leave its record
#else
constexpr bool windowsBuild = false;
constexpr int settleMs = 300;
#endif
constexpr int exitTimeoutMs = 30000;

struct Binaries
{
    fs::path launcher;
    fs::path probe;
};

class Check
{
public:
    Check(std::string name, Binaries binaries) : caseName(std::move(name)), binaries(std::move(binaries)) {}
    bool operator()(bool condition, const std::string &what)
    {
        if (!condition) {
            ++failures;
            if (failures <= 20)
                std::printf("  FAIL %s: %s\n", caseName.c_str(), what.c_str());
        }
        return condition;
    }
    std::string caseName;
    Binaries binaries;
    int failures = 0;
};

std::string show(const std::vector<std::string> &list)
{
    std::string text = "[";
    for (size_t i = 0; i < list.size(); ++i) {
        text += i ? ", \"" : "\"";
        for (const char c : list[i]) {
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
                text += escaped;
            } else {
                text += c;
            }
        }
        text += '"';
    }
    return text + "]";
}

// The entries only one of the two lists has, for a readable failure.
std::string difference(const std::vector<std::string> &got, const std::vector<std::string> &expected)
{
    std::vector<std::string> extra, missing;
    for (const auto &entry : got)
        if (std::find(expected.begin(), expected.end(), entry) == expected.end())
            extra.push_back(entry);
    for (const auto &entry : expected)
        if (std::find(got.begin(), got.end(), entry) == got.end())
            missing.push_back(entry);
    return "extra " + show(extra) + ", missing " + show(missing) +
           (extra.empty() && missing.empty() ? " (order or repetition)" : "");
}

std::string readFile(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path &file, const std::string &content)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << content;
}

struct ProbeRecord
{
    bool present = false;
    std::string argv0;
    std::vector<std::string> args;
    std::vector<std::string> shellArgs;
    std::vector<std::string> environment;
    std::vector<std::string> descriptors;
    std::map<std::string, std::string> values;
    std::string value(const std::string &tag) const
    {
        const auto found = values.find(tag);
        return found == values.end() ? std::string() : found->second;
    }
};

ProbeRecord parseRecord(const std::string &text)
{
    ProbeRecord record;
    record.present = true;
    std::vector<std::string> fields;
    std::string::size_type start = 0;
    for (std::string::size_type end; (end = text.find('\0', start)) != std::string::npos; start = end + 1)
        fields.push_back(text.substr(start, end - start));
    for (size_t i = 0; i + 1 < fields.size(); i += 2) {
        const std::string &tag = fields[i], &value = fields[i + 1];
        if (tag == "arg")
            record.args.push_back(value);
        else if (tag == "shellarg")
            record.shellArgs.push_back(value);
        else if (tag == "env")
            record.environment.push_back(value);
        else if (tag == "fd")
            record.descriptors.push_back(value);
        else if (tag == "argv0")
            record.argv0 = value;
        else
            record.values[tag] = value;
    }
    return record;
}

// Windows keeps an environment block sorted by name regardless of case, and a new process gets it sorted.
void sortEnvironment(std::vector<std::string> &entries)
{
    auto key = [](const std::string &entry) {
        std::string name = entry.substr(0, entry.find('=', 1));
        for (char &c : name)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return name;
    };
    std::stable_sort(entries.begin(), entries.end(),
                     [&](const std::string &a, const std::string &b) { return key(a) < key(b); });
}

// A launcher copied under a chosen name into a fresh folder whose name has blanks and Cyrillic, with the
// probe in "soft" under the same name unless told otherwise.
class Layout
{
public:
    Layout(const Binaries &binaries, const std::string &name, bool withProbe = true)
        : binaries(binaries), name(name + executableSuffix)
    {
        static int counter = 0;
        root = fs::temp_directory_path() / fromUtf8("velon launcher " + std::to_string(processId()) + "-" +
                                                    std::to_string(++counter) + " каталог");
        fs::remove_all(root);
        fs::create_directories(soft());
        fs::copy_file(binaries.launcher, launcher());
        makeExecutable(launcher(), true);
        if (withProbe)
            placeProbe(this->name);
    }
    ~Layout()
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    Layout(const Layout &) = delete;
    Layout &operator=(const Layout &) = delete;

    fs::path launcher() const { return root / fromUtf8(name); }
    fs::path soft() const { return root / "soft"; }
    fs::path target() const { return soft() / fromUtf8(name); }
    fs::path recordFile() const { return root / "record"; }
    fs::path outputFile() const { return root / "output"; }
    fs::path releaseFile() const { return root / "release"; }
    fs::path releasedFile() const { return root / "record.released"; }

    void placeProbe(const std::string &fileName) const
    {
        fs::copy_file(binaries.probe, soft() / fromUtf8(fileName), fs::copy_options::overwrite_existing);
        makeExecutable(soft() / fromUtf8(fileName), true);
    }

    // The launcher's own environment: the test's, with the entries that steer the probe and a few odd ones.
    std::vector<std::string> environment(bool hold = false) const
    {
        std::vector<std::string> entries;
        for (const auto &entry : processEnvironment())
            if (entry.rfind("LAUNCHER_PROBE_", 0) != 0)
                entries.push_back(entry);
        entries.push_back("LAUNCHER_PROBE_RECORD=" + utf8Path(recordFile()));
        entries.push_back("VELON_ПРОВЕРКА=значение с пробелом");
        entries.push_back("VELON_EMPTY=");
        entries.push_back("VELON_EQUALS=a=b=c");
        if (hold)
            entries.push_back("LAUNCHER_PROBE_HOLD=" + utf8Path(releaseFile()));
        if (windowsBuild)
            sortEnvironment(entries);
        return entries;
    }

    // What a program started directly with env sees. That is env itself, but Wine moves and adds its own
    // entries in every process it starts, so there the probe started directly says what it is.
    std::vector<std::string> environmentSeenBy(const std::vector<std::string> &env) const
    {
        if (!windowsBuild)
            return env;
        const fs::path launcherRecord = root / "record.launcher";
        fs::rename(recordFile(), launcherRecord);
        runProcess(binaries.probe, utf8Path(binaries.probe), {}, env, root / "output.direct", exitTimeoutMs);
        const ProbeRecord direct = waitForRecord();
        fs::remove(recordFile());
        fs::rename(launcherRecord, recordFile());
        return direct.environment;
    }

    RunResult run(const std::vector<std::string> &args, const std::vector<std::string> &env,
                  const RunOptions &options = {}) const
    {
        return run(utf8Path(launcher()), args, env, options);
    }
    RunResult run(const std::string &argv0, const std::vector<std::string> &args,
                  const std::vector<std::string> &env, const RunOptions &options = {}) const
    {
        std::error_code ignored;
        fs::remove(recordFile(), ignored);
        return runProcess(launcher(), argv0, args, env, outputFile(), exitTimeoutMs, options);
    }

    // The record of a started probe; it may come after the launcher has already ended, and under Wine the
    // renamed file can still be held by the probe for a moment, so it counts once it reads complete.
    ProbeRecord waitForRecord(int timeoutMs = 30000) const
    {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (fs::exists(recordFile())) {
                const ProbeRecord record = parseRecord(readFile(recordFile()));
                if (record.values.count("end"))
                    return record;
            }
            if (std::chrono::steady_clock::now() > giveUp)
                return {};
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    bool nothingStarted() const
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
        return !fs::exists(recordFile());
    }

    Binaries binaries;
    fs::path root;
    std::string name;
};

std::string withoutTrailingSeparator(std::string path)
{
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
        path.pop_back();
    return path;
}

// A clean start: status 0 at once, nothing printed, and the probe got exactly what the launcher got.
void expectStarted(Check &check, const Layout &layout, const RunResult &run,
                   const std::vector<std::string> &args, const std::vector<std::string> &env,
                   const std::string &label)
{
    check(run.finished, label + ": the launcher did not end");
    check(run.status == 0, label + ": exit status " + std::to_string(run.status));
    check(readFile(layout.outputFile()).empty(), label + ": the launcher printed something");
    const ProbeRecord record = layout.waitForRecord();
    if (!check(record.present, label + ": the configurator was not started"))
        return;
    check(record.args == args, label + ": arguments " + show(record.args) + ", expected " + show(args));
    if (windowsBuild)
        check(record.shellArgs == args,
              label + ": arguments by the shell's parser " + show(record.shellArgs));
    for (const char *entry : {"VELON_ПРОВЕРКА=значение с пробелом", "VELON_EMPTY=", "VELON_EQUALS=a=b=c"})
        check(std::find(record.environment.begin(), record.environment.end(), entry) !=
                  record.environment.end(),
              label + ": no " + entry + " in the environment");
    const std::vector<std::string> expected = layout.environmentSeenBy(env);
    check(record.environment == expected,
          label + ": environment differs: " + difference(record.environment, expected));
    check(record.value("cwd") == withoutTrailingSeparator(utf8Path(layout.soft())),
          label + ": working directory " + record.value("cwd"));
    check(record.argv0 == utf8Path(layout.target()), label + ": program name " + record.argv0);
}

void expectNothingStarted(Check &check, const Layout &layout, const RunResult &run, const std::string &label)
{
    check(run.finished, label + ": the launcher did not end");
    check(run.status == 0, label + ": exit status " + std::to_string(run.status));
    check(readFile(layout.outputFile()).empty(), label + ": the launcher printed something");
    check(layout.nothingStarted(), label + ": something was started");
}

// The Microsoft C runtime's parsing of a command line (the current rules, "" inside quotes being a quote),
// for the round trip on platforms that do not have it.
std::vector<std::string> parseCommandLine(const std::string &line)
{
    size_t i = 0;
    const size_t n = line.size();
    auto blank = [&](size_t at) { return line[at] == ' ' || line[at] == '\t'; };
    bool quoted = false;
    for (; i < n && (quoted || !blank(i)); ++i)
        if (line[i] == '"')
            quoted = !quoted;
    std::vector<std::string> args;
    for (;;) {
        while (i < n && blank(i))
            ++i;
        if (i >= n)
            return args;
        std::string arg;
        quoted = false;
        while (i < n && (quoted || !blank(i))) {
            size_t backslashes = 0;
            for (; i < n && line[i] == '\\'; ++i)
                ++backslashes;
            if (i < n && line[i] == '"') {
                arg.append(backslashes / 2, '\\');
                if (backslashes % 2) {
                    arg += '"';
                    ++i;
                } else if (quoted && i + 1 < n && line[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg.append(backslashes, '\\');
                if (i < n && (quoted || !blank(i)))
                    arg += line[i++];
            }
        }
        args.push_back(arg);
    }
}

std::vector<std::vector<std::string>> randomArgumentVectors(unsigned seed, int count)
{
    // Blanks, tabs, quotes, runs of backslashes, wildcards, Cyrillic and an accent, by bytes of UTF-8.
    const std::vector<std::string> pieces = {"a", "Z", "0", " ", "\t", "\"", "\\", "\\\\", "\\\"",
                                             "*", "?", "=", "%", "Ж",  "я",  "é",  "\n",   "'"};
    std::mt19937 random(seed);
    std::vector<std::vector<std::string>> vectors;
    for (int v = 0; v < count; ++v) {
        std::vector<std::string> args(random() % 7);
        for (auto &arg : args)
            for (unsigned k = random() % 9; k > 0; --k)
                arg += pieces[random() % pieces.size()];
        vectors.push_back(args);
    }
    return vectors;
}

const std::vector<std::vector<std::string>> &fixedArgumentVectors()
{
    static const std::vector<std::vector<std::string>> vectors = {
        {},
        {"one"},
        {"with blank", "second", "третий аргумент"},
        {"", "", "between empties", ""},
        {"\"quoted\"", "in\"side", "\"", "\"\""},
        {"C:\\path\\", "trailing\\\\", "\\\"", "a\\\\\\\"b", "\\\\server\\share"},
        {"tab\there", "new\nline", "*", "*.txt", "?"},
        {"Кириллица", "ёЁ", "смесь mixed \"кавычки\" \\"},
        {"-platform", "offscreen", "--flag=value with blank"},
    };
    return vectors;
}

// ---------------------------------------------------------------------------------------------------------

void pathRules(Check &check)
{
    struct Row
    {
        bool windows;
        std::string executable, softDirectory, programName;
    };
    const std::vector<Row> rows = {
        {false, "/opt/velon/velon-configurator", "/opt/velon/soft/", "velon-configurator"},
        {false, "/velon-configurator", "/soft/", "velon-configurator"},
        {false, "velon-configurator", "/soft/", "velon-configurator"},
        {false, "/home/инженер/Мои программы/конфигуратор", "/home/инженер/Мои программы/soft/",
         "конфигуратор"},
        {false, "/opt/velon/", "/opt/velon/soft/", ""},
        {false, "/opt/back\\slash/conf", "/opt/back\\slash/soft/", "conf"},
        {false, "/opt/c:\\x", "/opt/soft/", "c:\\x"},
        {false, "", "/soft/", ""},
        {true, "D:\\Tools\\conf.exe", "D:\\Tools\\soft\\", "conf.exe"},
        {true, "D:/Tools/conf.exe", "D:/Tools/soft\\", "conf.exe"},
        {true, "D:\\Tools/sub\\conf.exe", "D:\\Tools/sub\\soft\\", "conf.exe"},
        {true, "D:\\Tools\\sub/conf.exe", "D:\\Tools\\sub/soft\\", "conf.exe"},
        {true, "D:\\conf.exe", "D:\\soft\\", "conf.exe"},
        {true, "D:conf.exe", "D:\\soft\\", "conf.exe"},
        {true, "conf.exe", "\\soft\\", "conf.exe"},
        {true, "\\\\server\\share\\conf.exe", "\\\\server\\share\\soft\\", "conf.exe"},
        {true, "\\\\?\\C:\\long\\conf.exe", "\\\\?\\C:\\long\\soft\\", "conf.exe"},
        {true, "C:\\Program Files\\Велон\\velon-configurator.exe", "C:\\Program Files\\Велон\\soft\\",
         "velon-configurator.exe"},
        {true, "C:\\Tools\\", "C:\\Tools\\soft\\", ""},
    };
    for (const Row &row : rows) {
        const auto rules =
            row.windows ? launcher::windowsPathRules<char>() : launcher::posixPathRules<char>();
        const auto paths = launcher::deriveLaunchPaths(row.executable, rules);
        const std::string label = std::string(row.windows ? "windows " : "posix ") + row.executable;
        check(paths.softDirectory == row.softDirectory, label + ": soft directory " + paths.softDirectory);
        check(paths.programName == row.programName, label + ": program name " + paths.programName);
        check(paths.targetPath == row.softDirectory + row.programName,
              label + ": target " + paths.targetPath);
    }
    // The wide instantiation is the one the Windows build runs.
    const auto wide = launcher::deriveLaunchPaths(std::wstring(L"D:\\Tools\\Конф.exe"),
                                                  launcher::windowsPathRules<wchar_t>());
    check(wide.targetPath == L"D:\\Tools\\soft\\Конф.exe" && wide.softDirectory == L"D:\\Tools\\soft\\",
          "wide Windows rules");
}

void quoting(Check &check)
{
    struct Row
    {
        std::vector<std::string> args;
        std::string line;
    };
    const std::vector<Row> rows = {
        {{}, "\"P\""},
        {{"plain"}, "\"P\" plain"},
        {{""}, "\"P\" \"\""},
        {{"a b", "c\td"}, "\"P\" \"a b\" \"c\td\""},
        {{"a\"b"}, "\"P\" \"a\\\"b\""},
        {{"C:\\dir\\"}, "\"P\" C:\\dir\\"},
        {{"C:\\my dir\\"}, "\"P\" \"C:\\my dir\\\\\""},
        {{"\\\\\""}, "\"P\" \"\\\\\\\\\\\"\""},
        {{"a\\\\b"}, "\"P\" a\\\\b"},
    };
    for (const Row &row : rows) {
        const std::string line = launcher::buildCommandLine(std::string("P"), row.args);
        check(line == row.line, "command line " + line + ", expected " + row.line);
    }
    auto vectors = randomArgumentVectors(20261208u, 2000);
    vectors.insert(vectors.end(), fixedArgumentVectors().begin(), fixedArgumentVectors().end());
    for (const auto &args : vectors) {
        const std::string line = launcher::buildCommandLine(std::string("C:\\Program Files\\P.exe"), args);
        check(parseCommandLine(line) == args, "round trip of " + show(args) + " through " + line);
#ifdef _WIN32
        // The shell's own parser, in this process: it is the one the configurator's toolkit uses.
        std::wstring wideLine;
        std::vector<std::wstring> wideArgs;
        for (const auto &arg : args) {
            const int size =
                MultiByteToWideChar(CP_UTF8, 0, arg.data(), static_cast<int>(arg.size()), nullptr, 0);
            std::wstring w(static_cast<size_t>(size), L'\0');
            MultiByteToWideChar(CP_UTF8, 0, arg.data(), static_cast<int>(arg.size()), &w[0], size);
            wideArgs.push_back(w);
        }
        wideLine = launcher::buildCommandLine(std::wstring(L"C:\\Program Files\\P.exe"), wideArgs);
        int count = 0;
        wchar_t **parsed = CommandLineToArgvW(wideLine.c_str(), &count);
        std::vector<std::wstring> back(parsed + 1, parsed + count);
        LocalFree(parsed);
        check(back == wideArgs, "CommandLineToArgvW round trip of " + show(args));
#endif
    }
}

void argumentsEnvironmentDirectory(Check &check)
{
    const Layout layout(check.binaries, "velon-configurator");
    const auto env = layout.environment();
    for (const auto &args : fixedArgumentVectors())
        expectStarted(check, layout, layout.run(args, env), args, env, "arguments " + show(args));
}

void renamedLauncher(Check &check)
{
    Layout layout(check.binaries, "Мой конфигуратор", false);
    layout.placeProbe(std::string("velon-configurator") + executableSuffix);
    const auto env = layout.environment();
    expectNothingStarted(check, layout, layout.run({"x"}, env), "only the old name in soft");
    layout.placeProbe(layout.name);
    expectStarted(check, layout, layout.run({"x"}, env), {"x"}, env, "the new name in soft");
}

void missingTarget(Check &check)
{
    {
        Layout layout(check.binaries, "velon-configurator", false);
        fs::remove_all(layout.soft());
        expectNothingStarted(check, layout, layout.run({"a"}, layout.environment()), "no soft folder");
    }
    {
        Layout layout(check.binaries, "velon-configurator", false);
        layout.placeProbe(std::string("other") + executableSuffix);
        expectNothingStarted(check, layout, layout.run({}, layout.environment()), "no file of that name");
    }
    {
        Layout layout(check.binaries, "velon-configurator", false);
        fs::create_directories(layout.target());
        layout.placeProbe(layout.name + ".bak");
        expectNothingStarted(check, layout, layout.run({}, layout.environment()), "a folder of that name");
        // The same layout starts once the folder has become the program.
        fs::remove_all(layout.target());
        layout.placeProbe(layout.name);
        expectStarted(check, layout, layout.run({}, layout.environment()), {}, layout.environment(),
                      "the folder replaced by the program");
    }
}

void startFailure(Check &check)
{
    struct Variant
    {
        const char *label;
        bool executable;
    };
    const Variant variants[] = {{"a text file", false}, {"a text file marked executable", true}};
    for (const Variant &variant : variants) {
        if (windowsBuild && variant.executable)
            continue;
        const Layout layout(check.binaries, "velon-configurator", false);
        writeFile(layout.target(), "this is no program\n");
        makeExecutable(layout.target(), variant.executable);
        const RunResult run = layout.run({"a"}, layout.environment());
        check(run.finished, std::string(variant.label) + ": the launcher did not end");
        check(run.finished && run.status != 0, std::string(variant.label) + ": exit status 0");
        check(readFile(layout.outputFile()).empty(),
              std::string(variant.label) + ": the launcher printed something");
        check(layout.nothingStarted(), std::string(variant.label) + ": something was started");
    }
}

void ownPathNotFirstArgument(Check &check)
{
    const Layout layout(check.binaries, "velon-configurator");
    const auto env = layout.environment();
    const std::string elsewhere = windowsBuild ? "C:\\nowhere\\other.exe" : "/nowhere/other";
    expectStarted(check, layout, layout.run(elsewhere, {"b"}, env), {"b"}, env, "a false program name");
    expectStarted(check, layout, layout.run("velon-configurator", {}, env), {}, env, "a bare program name");
#ifndef _WIN32
    // A link elsewhere under another name leads to the real file and its "soft".
    const fs::path linkDirectory = layout.root / "bin";
    fs::create_directories(linkDirectory);
    fs::create_symlink(layout.launcher(), linkDirectory / "link name");
    std::error_code ignored;
    fs::remove(layout.recordFile(), ignored);
    const RunResult run =
        runProcess(linkDirectory / "link name", "link name", {"c"}, env, layout.outputFile(), exitTimeoutMs);
    expectStarted(check, layout, run, {"c"}, env, "started through a link");
#endif
}

void keepsRunning(Check &check)
{
    const Layout layout(check.binaries, "velon-configurator");
    const auto env = layout.environment(true);
    const RunResult run = layout.run({"hold"}, env);
    check(run.finished && run.status == 0, "the launcher did not end while the configurator runs");
    const ProbeRecord record = layout.waitForRecord();
    check(record.present && record.args == std::vector<std::string>{"hold"},
          "the configurator was not started");
    check(!fs::exists(layout.releasedFile()), "the configurator ended before it was let go");
    writeFile(layout.releaseFile(), "go");
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!fs::exists(layout.releasedFile()) && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    check(fs::exists(layout.releasedFile()), "the configurator did not run on after the launcher ended");
}

// The marker is open and inheritable in the test; the probe started directly sees it (so the check can
// fail), the probe started through the launcher must not.
void noInheritance(Check &check)
{
    const Layout layout(check.binaries, "velon-configurator");
    const fs::path markerFile = layout.root / "marker file";
    const Marker marker = openInheritableMarker(markerFile);
    auto env = layout.environment();
    if (!marker.environmentEntry.empty())
        env.push_back(marker.environmentEntry);
    auto seen = [&](const ProbeRecord &record) {
        if (windowsBuild)
            return record.values.count("handle") &&
                   record.values.at("handle").find("marker file") != std::string::npos;
        for (const auto &fd : record.descriptors)
            if (fd == marker.value)
                return true;
        return false;
    };

    std::error_code ignored;
    fs::remove(layout.recordFile(), ignored);
    const RunResult direct =
        runProcess(layout.target(), utf8Path(layout.target()), {}, env, layout.outputFile(), exitTimeoutMs);
    const ProbeRecord directRecord = layout.waitForRecord();
    check(direct.finished && directRecord.present && seen(directRecord),
          "the probe started directly does not see the marker: the check would prove nothing");

    const RunResult run = layout.run({}, env);
    expectStarted(check, layout, run, {}, env, "with an inheritable marker open");
    const ProbeRecord record = layout.waitForRecord();
    check(record.present && !seen(record), "the configurator inherited the launcher's marker");
    if (!windowsBuild) {
        for (const auto &fd : record.descriptors)
            check(fd == "0" || fd == "1" || fd == "2", "the configurator has descriptor " + fd + " open");
    }
    closeInheritableMarker(marker);
}

void windowAndPriority(Check &check)
{
    const Layout layout(check.binaries, "velon-configurator");
    const auto env = layout.environment();
    RunOptions options;
    options.belowNormalPriority = true;
    options.hiddenWindow = true;
    expectStarted(check, layout, layout.run({}, env, options), {}, env,
                  "from a hidden, low-priority launcher");
    ProbeRecord record = layout.waitForRecord();
    check(record.value("showflag") == "1", "no window state passed");
    check(record.value("show") == "5", "window state " + record.value("show") + ", expected SW_SHOW (5)");
    check(record.value("priority") == "32",
          "priority class " + record.value("priority") + ", expected normal (32)");
}

void versionAndManifest(Check &check)
{
#ifdef _WIN32
    const std::wstring file = check.binaries.launcher.wstring();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    std::vector<char> data(size);
    VS_FIXEDFILEINFO *info = nullptr;
    UINT length = 0;
    const bool read = size > 0 && GetFileVersionInfoW(file.c_str(), 0, size, data.data()) &&
                      VerQueryValueW(data.data(), L"\\", reinterpret_cast<void **>(&info), &length) && info;
    if (check(read, "no version resource")) {
        check(info->dwFileVersionMS == MAKELONG(VELON_VERSION_MINOR, VELON_VERSION_MAJOR) &&
                  info->dwFileVersionLS == MAKELONG(VELON_VERSION_TWEAK, VELON_VERSION_PATCH),
              "file version " + std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
                  std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
                  std::to_string(HIWORD(info->dwFileVersionLS)) + "." +
                  std::to_string(LOWORD(info->dwFileVersionLS)) + ", expected " VELON_VERSION_TEXT);
        for (const wchar_t *name : {L"FileVersion", L"ProductVersion"}) {
            const std::wstring key = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
            wchar_t *text = nullptr;
            UINT textLength = 0;
            check(VerQueryValueW(data.data(), key.c_str(), reinterpret_cast<void **>(&text), &textLength) &&
                      text && std::wstring(text) == L"" VELON_VERSION_TEXT,
                  "a version text of the resource is not " VELON_VERSION_TEXT);
        }
    }
    const HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const HRSRC resource =
        module ? FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)) : nullptr;
    if (check(resource != nullptr, "no application manifest")) {
        const HGLOBAL loaded = LoadResource(module, resource);
        const char *text = static_cast<const char *>(LockResource(loaded));
        const std::string manifest(text, SizeofResource(module, resource));
        check(manifest.find("requestedExecutionLevel level=\"asInvoker\"") != std::string::npos,
              "the manifest does not ask for asInvoker");
    }
    check(module && FindResourceW(module, L"IDI_ICON1", MAKEINTRESOURCEW(14)) != nullptr, "no icon");
    if (module)
        FreeLibrary(module);
#else
    (void)check;
#endif
}

void randomRoundTrip(Check &check)
{
    const Layout layout(check.binaries, "velon-configurator");
    const auto env = layout.environment();
    // A new seed each run; LAUNCHER_TEST_SEED repeats a failed one.
    const char *given = std::getenv("LAUNCHER_TEST_SEED");
    const unsigned seed =
        given ? static_cast<unsigned>(std::strtoul(given, nullptr, 10))
              : static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count());
    std::printf("  random argument vectors, seed %u\n", seed);
    long long slowest = 0;
    for (const auto &args : randomArgumentVectors(seed, 300)) {
        const auto start = std::chrono::steady_clock::now();
        RunResult run = layout.run(args, env);
        // Wine's occasional failure to set up a new process (see runProcess) can hit the launcher's own
        // start of the probe too: it then reports the failed start at once. A second try tells that apart
        // from a launcher that cannot start the probe with these arguments.
        if (windowsBuild && run.finished && run.status == launcher::startFailedStatus) {
            std::printf("  (the launcher could not start the probe: tried again)\n");
            run = layout.run(args, env);
        }
        slowest = std::max<long long>(slowest, std::chrono::duration_cast<std::chrono::milliseconds>(
                                                   std::chrono::steady_clock::now() - start)
                                                   .count());
        const ProbeRecord record = layout.waitForRecord();
        check(run.finished && run.status == 0 && record.present,
              "not started with " + show(args) + ": ended " + std::to_string(run.finished) + ", status " +
                  std::to_string(run.status) + ", output " + readFile(layout.outputFile()));
        check(record.args == args, "arguments " + show(record.args) + ", expected " + show(args));
        if (windowsBuild)
            check(record.shellArgs == args,
                  "shell's arguments " + show(record.shellArgs) + ", expected " + show(args));
    }
    std::printf("  slowest launcher run %lld ms\n", slowest);
}

struct Case
{
    const char *name;
    std::function<void(Check &)> run;
    bool windowsOnly;
};

const std::vector<Case> cases = {
    {"path_rules", pathRules, false},
    {"quoting", quoting, false},
    {"arguments_environment_directory", argumentsEnvironmentDirectory, false},
    {"renamed_launcher", renamedLauncher, false},
    {"missing_target", missingTarget, false},
    {"start_failure", startFailure, false},
    {"own_path_not_first_argument", ownPathNotFirstArgument, false},
    {"keeps_running", keepsRunning, false},
    {"no_inheritance", noInheritance, false},
    {"window_and_priority", windowAndPriority, true},
    {"version_and_manifest", versionAndManifest, true},
    {"random_round_trip", randomRoundTrip, false},
};

} // namespace

int main(int argc, char **argv)
{
    Binaries binaries;
    std::vector<std::string> selected;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--launcher" && i + 1 < argc)
            binaries.launcher = fs::absolute(fromUtf8(argv[++i]));
        else if (arg == "--probe" && i + 1 < argc)
            binaries.probe = fs::absolute(fromUtf8(argv[++i]));
        else
            selected.push_back(arg);
    }
    if (binaries.launcher.empty() || binaries.probe.empty()) {
        std::printf("usage: tst_launcher --launcher <file> --probe <file> [case...]\n");
        return 2;
    }
    int passed = 0, failed = 0;
    for (const auto &name : selected) {
        bool known = false;
        for (const Case &c : cases)
            known = known || name == c.name;
        if (!known) {
            std::printf("FAIL unknown case %s\n", name.c_str());
            ++failed;
        }
    }
    for (const Case &c : cases) {
        if (!selected.empty() && std::find(selected.begin(), selected.end(), c.name) == selected.end())
            continue;
        if (c.windowsOnly && !windowsBuild)
            continue;
        Check check(c.name, binaries);
        const auto start = std::chrono::steady_clock::now();
        try {
            c.run(check);
        } catch (const std::exception &error) {
            check(false, std::string("exception: ") + error.what());
        }
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
                .count();
        std::printf("%s %s (%lld ms)\n", check.failures ? "FAIL" : "PASS", c.name,
                    static_cast<long long>(ms));
        std::fflush(stdout);
        (check.failures ? failed : passed) += 1;
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed ? 1 : 0;
}
