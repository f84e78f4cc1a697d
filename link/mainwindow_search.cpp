#include "app/mainwindow.h"

#include "exchangelog/capturingport.h"
#include "exchangelog/exchangelog.h"
#include "link/delay.h"
#include "link/portlist.h"
#include "link/portsurvey.h"
#include "link/receivepath.h"
#include "link/setreply.h"
#include "ui_mainwindow.h"

#include "link/serialport.h"
#include <QAction>
#include <QActionGroup>
#include <QElapsedTimer>
#include <QMenu>
#include <QTimer>

namespace {

// How often the window looks at the port list.
constexpr int watchMs = 1000;

// A port as the menu "Порт" names it: its name, and the adapter's description and serial number where the
// system gives them.
QString portCaption(const QString &name, const QMap<QString, SerialPortInfo> &systemPorts)
{
    const SerialPortInfo info = systemPorts.value(name);
    QStringList known;
    for (const QString &item : {info.description(), info.serialNumber()}) {
        if (!item.isEmpty())
            known.append(item);
    }
    return known.isEmpty() ? name : name + " (" + known.join("; ") + ")";
}

} // namespace

void MainWindow::setUpModemMenu()
{
    findModemAction = new QAction(tr("Найти модем"), this);
    findModemAction->setObjectName("action_findModem");
    findModemAction->setShortcut(QKeySequence(Qt::Key_F5));
    connect(findModemAction, &QAction::triggered, this, &MainWindow::findModemAgain);

    portMenu = new QMenu(tr("Порт"), this);
    portMenu->setObjectName("menu_port");
    connect(portMenu, &QMenu::aboutToShow, this, &MainWindow::fillPortMenu);

    identityAction = new QAction(tr("Сведения о модеме"), this);
    identityAction->setObjectName("action_modemIdentity");
    identityAction->setShortcut(QKeySequence(Qt::CTRL + Qt::Key_I));
    connect(identityAction, &QAction::triggered, this, &MainWindow::askModemIdentity);

    QAction *first = ui->menu_service->actions().value(0);
    ui->menu_service->insertAction(first, findModemAction);
    ui->menu_service->insertMenu(first, portMenu);
    ui->menu_service->insertAction(first, identityAction);
    ui->menu_service->insertSeparator(first);

    portWatch = new QTimer(this);
    portWatch->setObjectName("timer_portWatch");
    portWatch->setInterval(watchMs);
    watchClock.start();
    connect(portWatch, &QTimer::timeout, this, &MainWindow::watchPorts);
    portWatch->start();
}

std::unique_ptr<SerialPort> MainWindow::makeProbePort()
{
    auto probe = std::make_unique<exchangelog::CapturingPort>();
    connect(probe.get(), &exchangelog::CapturingPort::captured, exchange.get(),
            &exchangelog::ExchangeLog::add);
    return probe;
}

void MainWindow::noteUnopened(const QVector<portsurvey::Port> &ports)
{
    for (const portsurvey::Port &p : ports) {
        if (p.problem != portopen::Problem::None)
            noteUnopened(p.name, p.problem, p.errorText);
    }
}

void MainWindow::noteUnopened(const QString &name, portopen::Problem problem, const QString &errorText)
{
    exchange->add({exchangelog::Direction::Note, portopen::describe(problem, errorText).toUtf8(),
                   QDateTime::currentDateTime(), SerialPort(name).portName()});
}

void MainWindow::findModemAgain()
{
    if (linkBusy || searchingPort)
        return;
    SearchMessage message;
    {
        LinkOperation operation(this);
        message = searchModem();
    }
    // Said once the search is over, so the watcher looks on while the box waits for its answer.
    showSearchMessage(message);
}

void MainWindow::fillPortMenu()
{
    portMenu->clear();
    const QStringList names = portlist::present(portlist::availablePortNames());
    if (names.isEmpty()) {
        portMenu->addAction(tr("COM портов не обнаружено"))->setEnabled(false);
        return;
    }
    auto *group = new QActionGroup(portMenu);
    const QMap<QString, SerialPortInfo> systemPorts = portlist::systemPorts();
    for (const QString &name : names) {
        QAction *action = portMenu->addAction(portCaption(name, systemPorts));
        action->setCheckable(true);
        action->setChecked(name == linkedPort);
        action->setData(name);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, name] { choosePort(name); });
    }
}

void MainWindow::choosePort(const QString &name)
{
    if (linkBusy || searchingPort)
        return;
    LinkOperation operation(this);
    watchSearch.reset();
    // A port cannot be opened twice: the one in use is let go for its probe.
    const bool inUse = port->isOpen() && port->portName() == SerialPort(name).portName();
    if (inUse || name == linkedPort) {
        port->close();
        linkedPort.clear();
    }
    detachReceivePath();
    searchingPort = true;
    QVector<portsurvey::Port> ports;
    std::unique_ptr<SerialPort> answered;
    const int found = portsurvey::find(
        {name}, &ports, [this] { return makeProbePort(); }, &answered);
    searchingPort = false;
    noteUnopened(ports);
    if (found == 0) {
        if (linkPort(name, ports.first().reply, std::move(answered)))
            reportStatus(statusline::Outcome::ModemFound, name);
        else
            reportStatus(statusline::Outcome::PortNotOpened, name);
    } else if (ports.first().problem != portopen::Problem::None) {
        reportStatus(statusline::Outcome::PortNotOpened, name);
    } else {
        reportStatus(statusline::Outcome::PortSilent, name);
    }
    attachReceivePath();
}

void MainWindow::askModemIdentity()
{
    if (linkBusy || searchingPort)
        return;
    LinkOperation operation(this);
    // Each query's reply before the next: a send clears what came in. A query left unanswered does not
    // keep the others from being asked.
    const QVector<QPair<QString, receivepath::Field>> queries{{"MODEL;", receivepath::Field::Model},
                                                              {"IMEI;", receivepath::Field::Imei},
                                                              {"OPERATOR;", receivepath::Field::RfLevel},
                                                              {"PROGVER;", receivepath::Field::ProgVer},
                                                              {"GSMVER;", receivepath::Field::GsmVer}};
    QStringList unanswered;
    for (const auto &query : queries) {
        Sent sent = Sent::Yes;
        switch (askField(query.first, int(query.second), &sent)) {
        case Asked::Interrupted:
            return;
        case Asked::NotSent:
            reportLinkFailure(sent);
            return;
        case Asked::Lost:
            reportStatus(statusline::Outcome::LinkLost);
            return;
        case Asked::Silent:
            unanswered.append(query.first);
            break;
        case Asked::Field:
        case Asked::OtherField:
            break;
        }
    }
    if (unanswered.isEmpty())
        reportStatus(statusline::Outcome::IdentityRead);
    else
        reportStatus(statusline::Outcome::IdentityPartly, unanswered.join(", "));
}

MainWindow::Asked MainWindow::askField(const QString &query, int field, Sent *sent)
{
    awaitedField = field;
    awaitedArrived = anyFieldArrived = false;
    *sent = sendToModem(query);
    if (*sent != Sent::Yes) {
        awaitedField = -1;
        return Asked::NotSent;
    }
    if (!untilSent())
        return Asked::Interrupted;
    QElapsedTimer waited;
    waited.start();
    while (!awaitedArrived && !linkLost && port->isOpen() && waited.elapsed() < setreply::firstByteWithinMs) {
        if (!waitMs(setreply::pollMs) || interrupted())
            return Asked::Interrupted;
    }
    awaitedField = -1;
    if (linkLost || !port->isOpen())
        return Asked::Lost;
    return awaitedArrived ? Asked::Field : anyFieldArrived ? Asked::OtherField : Asked::Silent;
}

void MainWindow::watchPorts()
{
    if (linkBusy || searchingPort || watchSearch || windowClosing)
        return;
    if (!linkedPort.isEmpty()) {
        // Linked, only the linked port matters: the system's whole list costs time at every look.
        if (portlist::stillThere(linkedPort))
            return;
        port->close();
        receiveKept.clear();
        linkedPort.clear();
        reportStatus(statusline::Outcome::LinkLost);
    }
    // Ports plugged in meanwhile are new; one not ready yet is tried again at every look, a silent one now
    // and then for a while.
    const QStringList due =
        watching.due(portlist::present(portlist::availablePortNames()), watchClock.elapsed());
    if (due.isEmpty())
        return;
    // The window's own port may hold one of them open from a send.
    if (port->isOpen() && due.contains(ui->comboBox_portList->currentText()))
        port->close();
    watchSearch = std::make_unique<portsurvey::Search>(due, portsurvey::Until::FirstAnswer,
                                                       [this] { return makeProbePort(); });
    connect(watchSearch.get(), &portsurvey::Search::finished, this, &MainWindow::takeWatchResult,
            Qt::QueuedConnection);
    watchSearch->start();
}

void MainWindow::takeWatchResult()
{
    if (!watchSearch || !watchSearch->isFinished())
        return;
    std::unique_ptr<portsurvey::Search> search = std::move(watchSearch);
    const QVector<portsurvey::Port> ports = search->ports();
    watching.probed(ports, watchClock.elapsed());
    for (const portsurvey::Port &p : ports) {
        if (p.problem != portopen::Problem::None && watching.noteFailure(p.name))
            noteUnopened(p.name, p.problem, p.errorText);
    }
    const int found = search->found();
    if (found < 0)
        return;
    const QString name = ports.at(found).name;
    if (linkBusy || searchingPort || !linkedPort.isEmpty()) {
        // Busy meanwhile: probed again at the next look.
        watching.again(name);
        return;
    }
    // The list as it is now, the modem's port current, as after a search.
    ui->comboBox_portList->clear();
    for (const QString &listed : portlist::present(portlist::availablePortNames()))
        ui->comboBox_portList->addItem(listed);
    detachReceivePath();
    const bool linked = linkPort(name, ports.at(found).reply, search->takePort(found));
    attachReceivePath();
    reportStatus(linked ? statusline::Outcome::ModemFound : statusline::Outcome::PortNotOpened, name);
}
