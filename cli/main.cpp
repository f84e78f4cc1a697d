#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/output.h"
#include "cli/terminal.h"
#include "link/portlist.h"

#include <QCoreApplication>
#include <QDir>

namespace {

int misuse(const QString &what)
{
    output::say(what + QStringLiteral("\nСправка: velon-cli --help"));
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
    QStringList options; // without "--"; all take --json
    int positional;      // how many arguments it takes
};

const QStringList fleetOptions{"all", "ports", "jobs", "expect"};
const Command commandTable[] = {{"ports", {}, 0},
                                {"read", QStringList{"port", "out", "out-dir"} + fleetOptions, 0},
                                {"check", {"out", "values"}, 1},
                                {"diff", QStringList{"port", "values"} + fleetOptions, 1},
                                {"write", QStringList{"port", "values"} + fleetOptions, 1},
                                {"send", {"port", "wait"}, 1}};
const QStringList flags{"json", "all"};

// What the options ask for together that cannot be done.
QString conflict(const QString &name, const commands::Options &o)
{
    if (o.fleet() && !o.port.isEmpty())
        return QStringLiteral("--port и --all/--ports вместе не указываются");
    if (o.all && !o.ports.isEmpty())
        return QStringLiteral("--all и --ports вместе не указываются");
    if (!o.fleet() && (o.jobs > 0 || !o.outDir.isEmpty()))
        return QStringLiteral("--jobs и --out-dir нужны только с --all или --ports");
    if (!o.all && o.expect > 0)
        return QStringLiteral("--expect нужен только с --all");
    if (name == "read" && o.fleet() && !o.out.isEmpty())
        return QStringLiteral("Для нескольких модемов укажите --out-dir, а не --out");
    if (name == "read" && o.fleet() && o.outDir.isEmpty() && !o.json)
        return QStringLiteral("read --all сохраняет наборы в папку: укажите --out-dir (или --json)");
    if (name == "check" && !o.values.isEmpty() && !o.out.isEmpty())
        return QStringLiteral("check --values проверяет несколько наборов: --out не указывается");
    return QString();
}

int run(QStringList args)
{
    // Nothing after "--" is an option, not even a request for help.
    const QStringList options = args.mid(0, args.contains("--") ? args.indexOf("--") : args.size());
    if (options.contains("--help") || options.contains("-h")) {
        return output::toStdout(commands::help().toUtf8()) ? commands::ok : commands::writeError;
    }
    if (options.contains("--version")) {
        return output::toStdout(QByteArrayLiteral("velon-cli " VELON_VERSION "\n")) ? commands::ok
                                                                                    : commands::writeError;
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

    commands::Options o;
    QStringList positional;
    bool optionsEnd = false;
    while (!args.isEmpty()) {
        const QString arg = args.takeFirst();
        if (optionsEnd || !arg.startsWith("--")) {
            positional.append(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnd = true;
            continue;
        }
        const int eq = arg.indexOf('=');
        const QString option = arg.mid(2, eq < 0 ? -1 : eq - 2);
        if (flags.contains(option) && (option == "json" || command->options.contains(option))) {
            if (eq >= 0)
                return misuse(QStringLiteral("Параметр --%1 не принимает значения").arg(option));
            (option == "json" ? o.json : o.all) = true;
            continue;
        }
        if (!command->options.contains(option))
            return misuse(QStringLiteral("Неизвестный параметр команды %1: %2").arg(name, arg));
        if (eq < 0 && args.isEmpty())
            return misuse(QStringLiteral("Параметру --%1 нужно значение").arg(option));
        const QString value = eq < 0 ? args.takeFirst() : arg.mid(eq + 1);
        if (value.isEmpty())
            return misuse(QStringLiteral("Параметру --%1 нужно значение").arg(option));
        bool ok = true;
        if (option == "port")
            o.port = value;
        else if (option == "out")
            o.out = value;
        else if (option == "out-dir")
            o.outDir = value;
        else if (option == "values")
            o.values = value;
        else if (option == "ports")
            o.ports = value.split(',', Qt::SkipEmptyParts);
        else if (option == "jobs")
            ok = (o.jobs = value.toInt(&ok)) > 0 && ok;
        else if (option == "expect")
            ok = (o.expect = value.toInt(&ok)) > 0 && ok;
        else
            ok = (o.waitMs = value.toInt(&ok)) >= 0 && ok;
        if (!ok)
            return misuse(QStringLiteral("Неверное значение --%1: %2").arg(option, value));
    }
    if (positional.size() != command->positional) {
        return misuse(command->positional == 0
                          ? QStringLiteral("Лишние аргументы команды %1: %2").arg(name, positional.join(' '))
                          : QStringLiteral("Команде %1 нужен один аргумент").arg(name));
    }
    const QString problem = conflict(name, o);
    if (!problem.isEmpty())
        return misuse(problem);

    takePortsFromEnvironment();
    // Work on modems ends where each modem is left whole, and still says what it did.
    if (name == "read" || name == "diff" || name == "write")
        interrupt::install();
    const QString argument = positional.value(0);
    if (name == "ports")
        return commands::ports(o);
    if (name == "read")
        return commands::read(o);
    if (name == "check")
        return commands::check(argument, o);
    if (name == "diff")
        return commands::diff(argument, o);
    if (name == "write")
        return commands::write(argument, o);
    return commands::send(argument, o);
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
    terminal::prepare();
    QCoreApplication app(argc, argv);
    int status = run(app.arguments().mid(1));
    output::endProgress();
    status = qMax(status, interrupt::status());
    // What was written to standard output must have arrived: a full disk is no success.
    if (!output::closeStdout()) {
        output::say(QStringLiteral("Не удалось записать в стандартный вывод"));
        status = qMax(status, int(commands::writeError));
    }
    return status;
}
