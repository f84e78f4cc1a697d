#include "app/mainwindow.h"

#include "app/windowfit.h"
#include "app/windowicon.h"
#include "editor/formfit.h"
#include "exchangelog/capturingport.h"
#include "exchangelog/exchangelog.h"
#include "exchangelog/exchangelogwindow.h"
#include "history/comparewindow.h"
#include "history/historywindow.h"
#include "link/delay.h"
#include "link/portsurvey.h"
#include "params/records.h"
#include "settings/formsettings.h"
#include "ui_mainwindow.h"

#include "link/serialport.h"
#include <QCloseEvent>
#include <QLabel>
#include <QScrollArea>
#include <QStatusBar>
#include <QTextBrowser>

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent), ui(new Ui::MainWindow)
{
    ui->setupUi(this);
    // Still a SerialPort to all that uses it; it also tells the exchange log every byte it carries.
    auto *capturingPort = new exchangelog::CapturingPort(this);
    port = capturingPort;
    formSettings = std::make_unique<FormSettings>();

    flowControlRs485 = "0";
    SETIDString = "SETID=0,;";
    SETLOGString = "SETLOG=0;";
    SETCSDString = "SETCSD=7,0,1;";
    PASSETString = "PASSET=KVR38;";
    SETCONFString = "SETCONF=0,0,0,0,0,0;";
    sim1Mode = sim2Mode = prioritySim = comActive = rsActive = canActive = "0";

    initForm();
    paramsKeyList = records::paramsKeyList();

    connect(port, SIGNAL(readyRead()), this, SLOT(on_portReadyRead()));
    connect(this, SIGNAL(sendSETIDStringFromMainWindow(QString)), formSettings.get(),
            SLOT(slotGetSETIDStringFromMainWindow(QString)));
    connect(this, SIGNAL(sendSETLOGStringFromMainWindow(QString)), formSettings.get(),
            SLOT(slotGetSETLOGStringFromMainWindow(QString)));
    connect(this, SIGNAL(sendSETCSDStringFromMainWindow(QString)), formSettings.get(),
            SLOT(slotGetSETCSDStringFromMainWindow(QString)));
    connect(this, SIGNAL(sendPASSETStringFromMainWindow(QString)), formSettings.get(),
            SLOT(slotGetPASSETStringFromMainWindow(QString)));
    connect(formSettings.get(), SIGNAL(sendSETIDStringToWindow(QString)), this,
            SLOT(slotGetSETIDStringFromSettingsWindow(QString)));
    connect(formSettings.get(), SIGNAL(sendSETLOGStringToWindow(QString)), this,
            SLOT(slotGetSETLOGStringFromSettingsWindow(QString)));
    connect(formSettings.get(), SIGNAL(sendSETCSDStringToWindow(QString)), this,
            SLOT(slotGetSETCSDStringFromSettingsWindow(QString)));
    connect(formSettings.get(), SIGNAL(sendPASSETStringToWindow(QString)), this,
            SLOT(slotGetPASSETStringFromSettingsWindow(QString)));

    setUpExchangeLog(capturingPort);

    statusLabel = new QLabel(statusBar());
    statusLabel->setObjectName("label_status");
    statusBar()->addWidget(statusLabel, 1);
    statusOrigin = statusline::defaults();
    statusLabel->setText(statusline::line(statusOrigin, QString()));

    // The watcher runs from before the search's message, so a modem plugged in meanwhile is linked.
    setUpModemMenu();
    findModemPort();
    finishForm();

    // The desktop's font decides the combo boxes' widths; the screen decides the window's size and place.
    formfit::keepTextsWhole(this);
    // The IMEI's field is disabled, so it cannot be scrolled: all fifteen digits in sight.
    formfit::keepDigitsWhole(ui->lineEdit_IMEILevel, 15);
    // The panel keeps its labels and fields readable; the debug area gives up height down to what it shows.
    formfit::keepWholeAcross(ui->scrollArea, Qt::Horizontal);
    // Three lines of the log at least; below that the log itself scrolls, not the area around it.
    ui->textBrowser->setMinimumHeight(3 * ui->textBrowser->fontMetrics().lineSpacing() +
                                      2 * ui->textBrowser->frameWidth() +
                                      2 * int(ui->textBrowser->document()->documentMargin()));
    formfit::keepWholeAcross(ui->scrollArea_2, Qt::Vertical);
    setWindowIcon(windowicon::icon());
    // The form's own size, or more where the desktop's font needs it for nothing to scroll.
    windowfit::keepOnScreen(this, nullptr, [this, design = size()] {
        return design.expandedTo(formfit::sizeShowingWhole(this));
    });

    // From here on a change of the form is the engineer's.
    setUpHistory();
}

MainWindow::~MainWindow()
{
    // Never had a port (no serial port at all): there is nowhere to send the shutdown record.
    if (!port->portName().isEmpty()) {
        sendToModem("DEBUG=L0;");
        // A quit that has not ended its loop yet leaves no waiting to the event loop: the record still
        // leaves whole.
        if (!waitMs(50))
            pacer.drain(port);
    }
    port->close();
    // The form's widgets outlive the members: a spin box that loses its focus as they go must not reach
    // the edit marker or a handler.
    for (QObject *child : findChildren<QObject *>())
        disconnect(child, nullptr, this, nullptr);
    delete ui;
}

QString MainWindow::recordText(const QString &key) const
{
    static const QMap<QString, QString MainWindow::*> members{
        {"SETCOM", &MainWindow::SETCOMString},   {"SETRS", &MainWindow::SETRSString},
        {"SETCAN", &MainWindow::SETCANString},   {"SETSIM1", &MainWindow::SETSIM1String},
        {"SETSIM2", &MainWindow::SETSIM2String}, {"ADMTEL1", &MainWindow::ADMTEL1String},
        {"ADMTEL2", &MainWindow::ADMTEL2String}, {"ADMTEL3", &MainWindow::ADMTEL3String},
        {"ADMTEL4", &MainWindow::ADMTEL4String}, {"ADMTEL5", &MainWindow::ADMTEL5String},
        {"CSDTEL1", &MainWindow::CSDTEL1String}, {"CSDTEL2", &MainWindow::CSDTEL2String},
        {"CSDTEL3", &MainWindow::CSDTEL3String}, {"CSDTEL4", &MainWindow::CSDTEL4String},
        {"CSDTEL5", &MainWindow::CSDTEL5String}, {"SETURL1", &MainWindow::SETURL1String},
        {"SETURL2", &MainWindow::SETURL2String}, {"SETURL3", &MainWindow::SETURL3String},
        {"SETURL4", &MainWindow::SETURL4String}, {"SETURL5", &MainWindow::SETURL5String},
        {"SETCONF", &MainWindow::SETCONFString}, {"SETID", &MainWindow::SETIDString},
        {"SETLOG", &MainWindow::SETLOGString},   {"SETCSD", &MainWindow::SETCSDString},
        {"PASSET", &MainWindow::PASSETString},   {"SERVER", &MainWindow::SERVERString}};
    const auto it = members.constFind(key);
    return it == members.constEnd() ? QString() : this->*(it.value());
}

QStringList MainWindow::heldRecordTexts() const
{
    QStringList texts;
    for (const QString &key : records::paramsKeyList())
        texts.append(recordText(key));
    return texts;
}

void MainWindow::reportStatus(statusline::Outcome outcome, const QString &subject, int count)
{
    const QString words = statusline::describe({outcome, QTime::currentTime(), subject, count});
    if (statusline::tellsOrigin(outcome)) {
        statusOrigin = words;
        statusLastOperation.clear();
        statusVerdict.clear();
    } else if (!statusVerdict.isEmpty()) {
        // An unchecked write stays said: what the link did since comes after it.
        switch (statusline::afterVerdict(statusVerdictOutcome, outcome)) {
        case statusline::AfterVerdict::Keep:
            break;
        case statusline::AfterVerdict::Add:
            statusLastOperation = statusVerdict + "; " + words;
            break;
        case statusline::AfterVerdict::Replace:
            statusLastOperation = words;
            statusVerdict.clear();
            break;
        }
    } else {
        statusLastOperation = words;
    }
    if (statusline::isUncheckedWrite(outcome)) {
        statusVerdict = words;
        statusVerdictOutcome = outcome;
    }
    if (statusline::clearsEdits(outcome))
        setFormEdited(false);
    statusLabel->setText(statusline::line(statusOrigin, statusLastOperation, formEdited));
}

void MainWindow::on_toolButton_settings_clicked()
{
    formSettings->show();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!mayCloseWithEdits()) {
        event->ignore();
        return;
    }
    // A read or write waiting in a nested loop sees this and gives up instead of talking on.
    windowClosing = true;
    formSettings->close();
    if (exchangeWindow)
        exchangeWindow->close();
    port->close();
    event->accept();
}
