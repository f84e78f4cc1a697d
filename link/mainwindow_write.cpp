#include "app/mainwindow.h"

#include "app/logging.h"
#include "history/historystore.h"
#include "link/delay.h"
#include "link/writeplan.h"
#include "params/linecodec.h"
#include "params/records.h"

#include "link/serialport.h"
#include <QDebug>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>

MainWindow::LinkOperation::LinkOperation(MainWindow *window)
{
    if (window->linkBusy)
        return;
    owner = window;
    owner->linkBusy = true;
    owner->quitting = false;
    owner->linkLost = false;
    owner->modemRestarted = false;
    owner->setActionButtonsEnabled(false);
}

MainWindow::LinkOperation::~LinkOperation()
{
    if (!owner)
        return;
    owner->linkBusy = false;
    owner->setActionButtonsEnabled(true);
}

void MainWindow::setActionButtonsEnabled(bool enabled)
{
    for (const char *name : {"toolButton_readModemParams", "toolButton_writeModemParams",
                             "toolButton_saveToFile", "toolButton_loadFromFile", "toolButton"}) {
        if (QWidget *button = findChild<QWidget *>(name))
            button->setEnabled(enabled);
    }
}

void MainWindow::reportLinkFailure(Sent sent)
{
    if (linkLost || sent == Sent::Yes)
        reportStatus(statusline::Outcome::LinkLost);
    else if (sent == Sent::NotOpened)
        reportStatus(statusline::Outcome::PortNotOpened, portInUse());
    else
        reportStatus(statusline::Outcome::WriteError);
}

setreply::Reply MainWindow::fetchParamSet(Sent *sent)
{
    detachReceivePath();
    *sent = sendToModem("READALL;");
    // The first second counts from when the command has left.
    if (!untilSent())
        return {QByteArray(), setreply::End::Interrupted, QByteArray()};
    setreply::Reply reply = setreply::receive(port, [this] { return interrupted(); });
    if (reply.end == setreply::End::Interrupted) {
        // Only the application's quit ends a wait early; a closing window says so itself.
        quitting = !windowClosing;
        return reply;
    }
    // The receive path is detached: the modem's debug lines among the records are shown from here.
    for (const QString &text : setreply::debugTexts(reply.bytes))
        logDebugLine(text);
    // What came after the set is the receive path's, a line it has only begun included.
    receiveKept.clear();
    takeIncoming(reply.rest);
    return reply;
}

setreply::End MainWindow::readAllParams(QMap<QString, QString> *set)
{
    Sent sent = Sent::Yes;
    const setreply::Reply reply = fetchParamSet(&sent);
    bufferMainWindow = reply.bytes;
    if (reply.end == setreply::End::Interrupted)
        return reply.end;
    attachReceivePath();
    // A restart anywhere in the write: the set the modem stored, if any, is not the one sent.
    if (reply.end == setreply::End::Restarted || modemRestarted) {
        reportStatus(statusline::Outcome::WriteRestarted);
        return setreply::End::Restarted;
    }
    switch (reply.end) {
    case setreply::End::Complete:
        *set = records::toParamsMap(records::splitRecords(reply.bytes));
        break;
    case setreply::End::NoReply:
    case setreply::End::PortLost:
        // A "READALL;" that could not be sent has had its message already.
        if (sent == Sent::Yes)
            QMessageBox::information(this, QString(), tr("Ошибка чтения данных"), QMessageBox::Ok);
        reportStatus(reply.end == setreply::End::NoReply ? statusline::Outcome::WrittenUnchecked
                                                         : statusline::Outcome::WrittenLinkLost);
        break;
    case setreply::End::Incomplete:
        // Cut, paused too long or damaged: never compared, so never a verdict about a key.
        reportStatus(statusline::Outcome::WrittenIncomplete);
        break;
    case setreply::End::Restarted:
    case setreply::End::Interrupted:
        break;
    }
    return reply.end;
}

bool MainWindow::modemHoldsWhatWasRead(const QStringList &held, const QString &modem)
{
    // The modem read is the one at hand when it answers on the same port or names the same IMEI.
    if (readBaselinePort.isEmpty() || (readBaselinePort != portInUse() && readBaselineModem != modem))
        return true;
    Sent sent = Sent::Yes;
    const setreply::Reply reply = fetchParamSet(&sent);
    if (reply.end == setreply::End::Interrupted)
        return false;
    attachReceivePath();
    const QString why = reply.end == setreply::End::Restarted || modemRestarted ? tr("модем перезапустился")
                        : reply.end == setreply::End::NoReply    ? tr("модем не ответил")
                        : reply.end == setreply::End::Incomplete ? tr("ответ модема неполный")
                                                                 : QString();
    if (reply.end != setreply::End::Complete || !why.isEmpty()) {
        // Nothing was written: the modem's set could not be seen whole to compare.
        if (why.isEmpty())
            reportLinkFailure(sent);
        else
            reportStatus(statusline::Outcome::WriteRefused, why);
        return false;
    }
    const QStringList changed = writeplan::changedSinceRead(
        readBaseline, readBaselineForm, held, records::toParamsMap(records::splitRecords(reply.bytes)));
    if (changed.isEmpty())
        return true;
    QMessageBox box(QMessageBox::Question, QString(), writeplan::changedSinceReadQuestion(changed),
                    QMessageBox::NoButton, this);
    QPushButton *write = box.addButton(tr("Записать"), QMessageBox::AcceptRole);
    QPushButton *cancel = box.addButton(tr("Отмена"), QMessageBox::RejectRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    if (interrupted())
        return false;
    if (box.clickedButton() == write)
        return true;
    reportStatus(statusline::Outcome::WriteRefused, tr("набор в модеме отличается от прочитанного"));
    return false;
}

void MainWindow::noteReadBaseline(const QMap<QString, QString> &read, const QString &modem)
{
    readBaseline = read;
    readBaselineForm = heldRecordTexts();
    readBaselinePort = portInUse();
    readBaselineModem = modem;
}

void MainWindow::forgetReadBaseline()
{
    readBaseline.clear();
    readBaselineForm.clear();
    readBaselinePort.clear();
    readBaselineModem.clear();
}

void MainWindow::on_toolButton_writeModemParams_clicked()
{
    LinkOperation operation(this);
    if (!operation.started() || !recordsLoadBack(statusline::Outcome::WriteRefused))
        return;

    const QStringList held = heldRecordTexts();
    // However the write ends, an edit made while it waited was not written.
    const auto laterEditsStay = qScopeGuard([this, editsBefore = editsMade] {
        if (editsMade != editsBefore)
            setFormEdited(true);
    });
    QString modem;
    if (!askModemFolder(&modem))
        return;
    const QStringList sendingTexts = writeplan::sends(held);
    qCDebug(lcLink) << "QString::fromLocal8Bit(bufferMainWindow)"
                    << linecodec::decode(bufferMainWindow) + '\n';
    qCDebug(lcLink) << "writeAllParams" << sendingTexts.join(QString());
    writtenParamsMap = writeplan::writtenValues(held);

    if (!pause(0))
        return;
    // A value damaged on the line when it was read goes to the modem only when the engineer says so.
    if (!modemHoldsWhatWasRead(held, modem))
        return;
    if (port->isOpen())
        port->clear(SerialPort::Input);
    bufferMainWindow.clear();

    // A port that cannot be opened gets one message, not one per record, and no verdicts. A closing
    // window or a quit ends the write once the record on the line has left, and nothing more is sent.
    // After the loop: whether "WRITEALL;", the last send, left whole.
    Sent lastSent = Sent::NotWritten;
    for (const QString &text : sendingTexts) {
        lastSent = sendToModem(text);
        if (lastSent == Sent::NotOpened) {
            reportLinkFailure(Sent::NotOpened);
            return;
        }
        if (!pause(writeplan::spacingMs))
            return;
    }
    // A port that failed while "WRITEALL;" was on the line may have cut it: nothing is known to be stored.
    if (lastSent != Sent::Yes || linkLost) {
        reportLinkFailure(lastSent);
        return;
    }
    // The form's values are in the modem now (or the read-back says where not): the read they came from is
    // no longer what a later write is checked against.
    forgetReadBaseline();
    if (modemRestarted) {
        reportStatus(statusline::Outcome::WriteRestarted);
        return;
    }
    formModem = modem;

    // Only whole read-backs are compared, and a key is reported only when a second one agrees.
    QMap<QString, QString> first;
    if (readAllParams(&first) != setreply::End::Complete)
        return;
    QStringList mismatchedKeys = writeplan::mismatchedKeys(writtenParamsMap, first);
    QMap<QString, QString> holds = writtenParamsMap;
    if (!mismatchedKeys.isEmpty()) {
        QMap<QString, QString> second;
        if (readAllParams(&second) != setreply::End::Complete)
            return;
        mismatchedKeys = writeplan::confirmedMismatches(writtenParamsMap, first, second);
        for (const QString &key : mismatchedKeys)
            holds.insert(key, second.value(key));
    }
    // What the modem holds now: the written value where a read-back agreed with it.
    paramsMap = holds;
    for (const QString &key : mismatchedKeys)
        QMessageBox::information(this, QString(), writeplan::mismatchMessage(key), QMessageBox::Ok);
    const int mismatched = mismatchedKeys.size();
    reportStatus(mismatched == 0 ? statusline::Outcome::Written : statusline::Outcome::Mismatched, QString(),
                 mismatched);
    keepInHistory(history::Kind::Write, history::recordTextsOf(paramsMap), modem);
}
