#pragma once

// Path and command-line rules of the launcher. They are templates over the character type so that the
// Windows rules (wide strings there) are tested with plain strings on every platform.

#include <string>
#include <vector>

namespace launcher {

template <typename Char> struct PathRules
{
    std::basic_string<Char> separators; // what counts as a path separator at the end of a directory
    std::basic_string<Char>
        directoryEnds; // what ends the directory part: the separators, on Windows also ":"
    Char appended;     // the separator added where one is missing
};

template <typename Char> PathRules<Char> posixPathRules()
{
    return {{Char('/')}, {Char('/')}, Char('/')};
}

template <typename Char> PathRules<Char> windowsPathRules()
{
    return {{Char('\\'), Char('/')}, {Char('\\'), Char('/'), Char(':')}, Char('\\')};
}

template <typename Char> struct LaunchPaths
{
    std::basic_string<Char> softDirectory;
    std::basic_string<Char> programName;
    std::basic_string<Char> targetPath;
};

// The configurator sits in "soft" beside the launcher and carries the launcher's own file name.
template <typename Char>
LaunchPaths<Char> deriveLaunchPaths(const std::basic_string<Char> &executablePath,
                                    const PathRules<Char> &rules)
{
    using String = std::basic_string<Char>;
    const typename String::size_type cut = executablePath.find_last_of(rules.directoryEnds);
    LaunchPaths<Char> paths;
    String directory;
    if (cut == String::npos) {
        paths.programName = executablePath;
    } else {
        directory = executablePath.substr(0, cut + 1);
        paths.programName = executablePath.substr(cut + 1);
    }
    if (directory.empty() || rules.separators.find(directory.back()) == String::npos)
        directory += rules.appended;
    const Char soft[] = {Char('s'), Char('o'), Char('f'), Char('t')};
    directory.append(soft, sizeof soft / sizeof soft[0]);
    directory += rules.appended;
    paths.softDirectory = directory;
    paths.targetPath = directory + paths.programName;
    return paths;
}

// Appends one argument so that the Microsoft C runtime's parser (and CommandLineToArgvW) gives it back
// unchanged: backslashes are literal except in a run that ends at a double quote, where each one has to be
// doubled; a quote is escaped; blanks, tabs and empty arguments need the surrounding quotes.
template <typename Char>
void appendQuotedArgument(std::basic_string<Char> &line, const std::basic_string<Char> &arg)
{
    const Char special[] = {Char(' '), Char('\t'), Char('\n'), Char('\v'), Char('"'), Char(0)};
    if (!arg.empty() && arg.find_first_of(special) == std::basic_string<Char>::npos) {
        line += arg;
        return;
    }
    line += Char('"');
    typename std::basic_string<Char>::size_type backslashes = 0;
    for (const Char c : arg) {
        if (c == Char('\\')) {
            ++backslashes;
            continue;
        }
        line.append(c == Char('"') ? backslashes * 2 + 1 : backslashes, Char('\\'));
        backslashes = 0;
        line += c;
    }
    // The closing quote follows, so a trailing run is doubled too.
    line.append(backslashes * 2, Char('\\'));
    line += Char('"');
}

// The program name is read without escapes (quotes only group there), and a Windows path holds no quote,
// so it is simply enclosed in quotes.
template <typename Char>
std::basic_string<Char> buildCommandLine(const std::basic_string<Char> &program,
                                         const std::vector<std::basic_string<Char>> &args)
{
    std::basic_string<Char> line;
    line += Char('"');
    line += program;
    line += Char('"');
    for (const auto &arg : args) {
        line += Char(' ');
        appendQuotedArgument(line, arg);
    }
    return line;
}

// Status of a launcher whose target exists but could not be started; it shows no message.
constexpr int startFailedStatus = 126;

} // namespace launcher
