#include "windowcycles.h"

#include "soaksets.h"

#include "app/mainwindow.h"
#include "link/portlist.h"
#include "link/serialport.h"
#include "link/writeplan.h"
#include "messageboxwatcher.h"
#include "params/records.h"
#include "sim/simmodem.h"
#include "testutil.h"
#include "typing.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <memory>

#include <unistd.h>

namespace windowcycles {

sim::FaultSites sites()
{
    sim::FaultSites s;
    s.replies.append(sim::FaultSite{"READALL;", QByteArray()});
    s.replies.append(sim::FaultSite{"READALL;", "WRITEALL;"});
    for (const QString &key : records::sendingOrder())
        s.records.append(sim::FaultSite{(key + "=").toLatin1(), QByteArray()});
    s.records.append(sim::FaultSite{"WRITEALL;", QByteArray()});
    s.records.append(sim::FaultSite{"READALL;", QByteArray()});
    s.records.append(sim::FaultSite{"READALL;", "WRITEALL;"});
    return s;
}

namespace {

// A field the engineer changes between the read and the write.
struct Edit
{
    const char *widget;
    QString key;
};

const QVector<Edit> &edits()
{
    static const QVector<Edit> list = [] {
        QVector<Edit> l;
        static const char *const admin[] = {"lineEdit_controlNumber1", "lineEdit_controlNumber2",
                                            "lineEdit_controlNumber3", "lineEdit_controlNumber4",
                                            "lineEdit_controlNumber5"};
        static const char *const csd[] = {"lineEdit_csdNumber1", "lineEdit_csdNumber2", "lineEdit_csdNumber3",
                                          "lineEdit_csdNumber4", "lineEdit_csdNumber5"};
        for (int n = 0; n < 5; ++n) {
            l.append(Edit{admin[n], QString("ADMTEL%1").arg(n + 1)});
            l.append(Edit{csd[n], QString("CSDTEL%1").arg(n + 1)});
        }
        l.append(Edit{"lineEdit_pointAPNGPRSSIM1", "SETSIM1"});
        l.append(Edit{"lineEdit_pointAPNGPRSSIM2", "SETSIM2"});
        return l;
    }();
    return list;
}

double rssMb()
{
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLongLong() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

class Soaker
{
public:
    explicit Soaker(const Options &options) : options(options)
    {
        boxes.answerWith(QStringLiteral("Отмена"));
        plugIn(sim::SimModem::defaultParams());
        portlist::setProvider([this] { return names; });
        buildWindow();
    }
    ~Soaker()
    {
        window.reset();
        portlist::setProvider({});
    }

    void cycle(int i, soak::Tally &tally);

private:
    void plugIn(const sim::ParamList &held)
    {
        modem = std::make_unique<sim::SimModem>();
        if (!modem->start())
            qFatal("cannot start a simulated modem: %s", qPrintable(modem->errorString()));
        modem->setParams(held);
        names = QStringList{modem->slavePath()};
    }
    bool linked() const
    {
        return window->serialPort()->isOpen() &&
               window->serialPort()->portName() == SerialPort(modem->slavePath()).portName();
    }
    void buildWindow()
    {
        window = std::make_unique<MainWindow>();
        window->setHistoryFolder(history.path());
        window->show();
        waitUntil([this] { return linked(); }, 15000);
    }
    // The adapter plugged in again after a hang-up, the engineer pressing F5.
    void relink()
    {
        if (modem->isHungUp())
            plugIn(modem->params());
        child<QAction>(window.get(), "action_findModem")->trigger();
        waitUntil([this] { return linked(); }, 15000);
    }
    QString status() const { return child<QLabel>(window.get(), "label_status")->text(); }
    // Clicks the button; a click that has not returned within the bound closes the window. True when so.
    bool clickBounded(const char *button)
    {
        bool hung = false;
        QTimer bound;
        bound.setSingleShot(true);
        QObject::connect(&bound, &QTimer::timeout, [&] {
            hung = true;
            boxes.answerWith(QStringLiteral("Не сохранять"));
            window->close();
        });
        bound.start(options.hangMs);
        child<QLabel>(window.get(), "label_status")->clear();
        child<QToolButton>(window.get(), button)->click();
        bound.stop();
        boxes.answerWith(QStringLiteral("Отмена"));
        return hung;
    }
    // A read after which the form holds the modem's set without a word of doubt; false otherwise.
    bool read(bool *hung)
    {
        const int before = boxes.boxes().size();
        *hung = *hung || clickBounded("toolButton_readModemParams");
        return boxes.boxes().size() == before && soak::readWhole(status());
    }
    void type(const Edit &edit, std::mt19937 &rng)
    {
        auto *field = child<QLineEdit>(window.get(), edit.widget);
        const QString current = field->text();
        QString typed = current;
        for (int attempt = 0; attempt < 20 && typed == current; ++attempt) {
            // A SIM card's access point is the last field of its record.
            typed = edit.key.startsWith("SETSIM")
                        ? soaksets::otherValue(edit.key, QString(), rng).section(',', 3)
                        : soaksets::otherValue(edit.key, current, rng);
        }
        if (typed.isEmpty()) {
            field->selectAll();
            QTest::keyClick(field, Qt::Key_Backspace);
        } else {
            typeOver(field, typed);
        }
    }

    const Options &options;
    MessageBoxWatcher boxes;
    QTemporaryDir history;
    std::unique_ptr<sim::SimModem> modem;
    QStringList names;
    std::unique_ptr<MainWindow> window;
};

void Soaker::cycle(int i, soak::Tally &tally)
{
    if (modem->isHungUp() || !linked())
        relink();
    // What the last cycle left on the line reaches the window before this one begins.
    waitUntil([this] { return modem->isOutputIdle(); }, 10000);
    waitUntil([] { return false; }, 50);

    std::seed_seq seq{options.seed, quint32(i), 0x3d1u};
    std::mt19937 rng(seq);
    const sim::ParamList set = soaksets::randomSet(rng);
    modem->setParams(set);
    modem->clearLog();
    const sim::Fault fault = options.chooseFault ? options.chooseFault(i, set)
                                                 : sim::pickFault(options.seed, i, options.share, sites());
    modem->setFault(fault);
    boxes.clear();

    // An engineer reads again when the read said anything but "read".
    bool hung = false;
    bool clean = read(&hung);
    if (!clean && !hung)
        clean = read(&hung);
    const soak::Set formAfterRead = writeplan::writtenValues(window->heldRecordTexts());
    const soak::Set modemAtRead = soaksets::toMap(modem->params());

    const Edit &edit = edits().at(std::uniform_int_distribution<int>(0, edits().size() - 1)(rng));
    type(edit, rng);
    const soak::Set written = writeplan::writtenValues(window->heldRecordTexts());
    const QStringList damaged =
        clean ? soak::damagedKeys(formAfterRead, modemAtRead, edit.key) : QStringList();

    boxes.clear();
    if (!hung)
        hung = clickBounded("toolButton_writeModemParams");
    const soak::Claim claim = soak::windowClaim(hung, status(), boxes.texts());
    const bool asked = soak::askedAboutUnedited(boxes.texts());
    const soak::Set stored = soaksets::toMap(modem->params());
    const soak::Outcome outcome = soak::classify(written, stored, claim);
    tally.add(fault.kind, !modem->faultEvents().isEmpty(), outcome);
    const bool damageWritten =
        !damaged.isEmpty() && !asked && soak::damageStored(damaged, formAfterRead, stored);
    if (qEnvironmentVariableIsSet("VELON_SOAK_VERBOSE")) {
        QStringList notes;
        if (!damaged.isEmpty())
            notes.append("read damaged in " + damaged.join(", ") +
                         (damageWritten ? ", WRITTEN UNASKED" : ""));
        for (const QString &text : boxes.texts())
            notes.append("said: " + text);
        notes.append("status: " + status());
        soak::describeCycle("window", i, fault, modem->faultEvents(), written, stored, outcome, notes);
    }
    soak::Tally::Row &row = tally.row(fault.kind);
    if (damageWritten)
        ++row.damagedUnasked;
    row.asked += asked ? 1 : 0;
    row.mostBoxes = qMax(row.mostBoxes, boxes.boxes().size());
    if (hung) {
        window.reset();
        buildWindow();
    }
}

} // namespace

void run(const Options &options, soak::Tally &tally, QVector<Memory> *memory,
         const std::function<void(int)> &progress)
{
    Soaker soaker(options);
    memory->append({0, rssMb()});
    for (int i = 0; i < options.cycles; ++i) {
        soaker.cycle(i, tally);
        if (i + 1 == 100 || i + 1 == 200)
            memory->append({i + 1, rssMb()});
        progress(i + 1);
    }
    if (memory->last().cycle != options.cycles)
        memory->append({options.cycles, rssMb()});
}

} // namespace windowcycles
