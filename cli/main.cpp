#include "cli/commands.h"
#include "link/portlist.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

namespace {

int misuse(const QString &what)
{
    const QByteArray text = (what + "\nСправка: velon-cli --help\n").toUtf8();
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    return commands::misused;
}

// VELON_PORTS replaces the system's port list, through the link's one hook.
void takePortsFromEnvironment()
{
    if (!qEnvironmentVariableIsSet("VELON_PORTS"))
        return;
    const QStringList names =
        qEnvironmentVariable("VELON_PORTS").split(QDir::listSeparator(), Qt::SkipEmptyParts);
    portlist::setProvider([names] { return names; });
}

struct Command
{
    const char *name;
    QStringList options; // without "--"
    int positional;      // how many arguments it takes
};

const Command commandTable[] = {{"ports", {}, 0},       {"read", {"port", "out"}, 0},
                                {"check", {"out"}, 1},  {"diff", {"port"}, 1},
                                {"write", {"port"}, 1}, {"send", {"port", "wait"}, 1}};

int run(QStringList args)
{
    if (args.contains("--help") || args.contains("-h")) {
        const QByteArray text = commands::help().toUtf8();
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        return commands::ok;
    }
    if (args.isEmpty())
        return misuse(QStringLiteral("Не указана команда"));
    const QString name = args.takeFirst();
    const Command *command = nullptr;
    for (const Command &c : commandTable) {
        if (name == QLatin1String(c.name))
            command = &c;
    }
    if (!command)
        return misuse(QStringLiteral("Неизвестная команда: ") + name);

    commands::Options options;
    QStringList positional;
    bool optionsEnd = false;
    while (!args.isEmpty()) {
        const QString arg = args.takeFirst();
        if (optionsEnd || !arg.startsWith("--") || arg == "-") {
            positional.append(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnd = true;
            continue;
        }
        const int eq = arg.indexOf('=');
        const QString option = arg.mid(2, eq < 0 ? -1 : eq - 2);
        if (!command->options.contains(option))
            return misuse(QStringLiteral("Неизвестный параметр команды %1: %2").arg(name, arg));
        if (eq < 0 && args.isEmpty())
            return misuse(QStringLiteral("Параметру --%1 нужно значение").arg(option));
        const QString value = eq < 0 ? args.takeFirst() : arg.mid(eq + 1);
        if (option == "port") {
            options.port = value;
        } else if (option == "out") {
            options.out = value;
        } else {
            bool ok = false;
            options.waitMs = value.toInt(&ok);
            if (!ok || options.waitMs < 0)
                return misuse(QStringLiteral("Неверное значение --wait: ") + value);
        }
        if (value.isEmpty())
            return misuse(QStringLiteral("Параметру --%1 нужно значение").arg(option));
    }
    if (positional.size() != command->positional) {
        return misuse(command->positional == 0
                          ? QStringLiteral("Лишние аргументы команды %1: %2").arg(name, positional.join(' '))
                          : QStringLiteral("Команде %1 нужен один аргумент").arg(name));
    }

    takePortsFromEnvironment();
    const QString argument = positional.value(0);
    if (name == "ports")
        return commands::ports();
    if (name == "read")
        return commands::read(options);
    if (name == "check")
        return commands::check(argument, options);
    if (name == "diff")
        return commands::diff(argument, options);
    if (name == "write")
        return commands::write(argument, options);
    return commands::send(argument, options);
}

// The toolkit's own diagnostics (a request made to a port not yet open, say) are for developers; standard
// error is the person's. VELON_CLI_DEBUG=1 lets them through.
void quietDiagnostics(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    static const bool shown = qEnvironmentVariableIsSet("VELON_CLI_DEBUG");
    if (shown || type == QtCriticalMsg || type == QtFatalMsg)
        qt_message_output(type, context, text);
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(quietDiagnostics);
    QCoreApplication app(argc, argv);
    const int status = run(app.arguments().mid(1));
    commands::endProgress();
    return status;
}
