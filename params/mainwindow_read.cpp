#include "app/mainwindow.h"

#include "app/logging.h"
#include "editor/fieldguard.h"
#include "history/historystore.h"
#include "params/debugtext.h"
#include "params/paramcheck.h"
#include "params/records.h"

#include "link/serialport.h"
#include <QComboBox>
#include <QDebug>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSpinBox>

bool MainWindow::reportNoSet(const setreply::Reply &reply, Sent sent, bool wholeOnly)
{
    const bool restarted = reply.end == setreply::End::Restarted || modemRestarted;
    if (!restarted && reply.end != setreply::End::NoReply && reply.end != setreply::End::PortLost &&
        !(wholeOnly && reply.end != setreply::End::Complete))
        return false;
    // A set cut short by a lost port, or the words of a restarted modem, are no set: one message, and
    // nothing of it reaches the form.
    QMessageBox::information(this, QString(), tr("Ошибка чтения данных"), QMessageBox::Ok);
    if (restarted)
        reportStatus(statusline::Outcome::ModemRestarted);
    else if (reply.end == setreply::End::NoReply)
        reportStatus(statusline::Outcome::NoReply);
    else if (reply.end == setreply::End::Incomplete)
        reportStatus(statusline::Outcome::ReplyIncomplete);
    else
        reportLinkFailure(sent);
    return true;
}

void MainWindow::on_toolButton_readModemParams_clicked()
{
    LinkOperation operation(this);
    QString modem;
    if (!operation.started() || !askModemFolder(&modem))
        return;
    Sent sent = Sent::Yes;
    const setreply::Reply reply = fetchParamSet(&sent);
    bufferMainWindow = reply.bytes;
    // The window closed or the application quits: nobody is there to see a form fill or a message.
    if (reply.end == setreply::End::Interrupted)
        return;
    if (reportNoSet(reply, sent, false)) {
        attachReceivePath();
        return;
    }
    const bool editsKept = keepUnsavedEdits();
    slotGetAllParams(bufferMainWindow);
    const bool whole = validateParamSet();
    reportStatus(whole ? statusline::Outcome::Read : statusline::Outcome::ReadPartly, portInUse());
    sayEditsKept(editsKept);
    formModem = modem;
    // A write of these values first sees whether this modem still holds what was read.
    noteReadBaseline(paramsMap, modem);
    // The modem's set as it came, whatever the form made of it; a reply cut short is no set.
    if (reply.end == setreply::End::Complete)
        keepInHistory(history::Kind::Read, history::recordTextsOf(paramsMap), modem);
    attachReceivePath();
}

bool MainWindow::validateParamSet()
{
    const QScopedValueRollback<bool> filling(fillingForm, true);
    for (const paramcheck::Step &step : paramcheck::validate(paramsMap)) {
        switch (step.kind) {
        case paramcheck::Step::Log:
            qCDebug(lcParams) << step.target << debugtext::excerpt(step.text);
            break;
        case paramcheck::Step::SetCombo: {
            auto *combo = findChild<QComboBox *>(step.target);
            combo->setCurrentIndex(combo->findText(step.text, Qt::MatchExactly | Qt::MatchCaseSensitive));
            break;
        }
        case paramcheck::Step::SetText:
            fieldguard::setTextAsIs(findChild<QLineEdit *>(step.target), step.text);
            break;
        case paramcheck::Step::SetSpin:
            findChild<QSpinBox *>(step.target)->setValue(step.number);
            break;
        case paramcheck::Step::SetFlag:
            setInterfaceFlag(step.target, step.text);
            break;
        case paramcheck::Step::SetServerMode:
            if (step.text == "0") {
                findChild<QRadioButton *>("radioButton_client")->setChecked(true);
                on_radioButton_client_clicked(true);
            } else {
                findChild<QRadioButton *>("radioButton_server")->setChecked(true);
                on_radioButton_server_clicked(true);
            }
            break;
        case paramcheck::Step::Emit:
            if (step.target == "SETID")
                emit sendSETIDStringFromMainWindow(step.text);
            else if (step.target == "SETLOG")
                emit sendSETLOGStringFromMainWindow(step.text);
            else if (step.target == "SETCSD")
                emit sendSETCSDStringFromMainWindow(step.text);
            else
                emit sendPASSETStringFromMainWindow(step.text);
            break;
        case paramcheck::Step::Warn:
            QMessageBox::information(this, QString(), step.text, QMessageBox::Ok);
            break;
        case paramcheck::Step::Stop:
            QMessageBox::information(this, QString(), step.text, QMessageBox::Ok);
            return false;
        }
    }
    return true;
}

// SETCONF's interface flags come straight from the set: the radio buttons' click handlers would toggle.
void MainWindow::setInterfaceFlag(const QString &flag, const QString &value)
{
    if (flag == "comActive")
        comActive = value;
    else if (flag == "rsActive")
        rsActive = value;
    else
        canActive = value;
    SETCONFString =
        records::buildRecord("SETCONF", {sim1Mode, sim2Mode, prioritySim, comActive, rsActive, canActive});
    // "comActive" -> radioButton_comActive
    findChild<QRadioButton *>("radioButton_" + flag)->setChecked(value == "1");
}
