#include "app/mainwindow.h"

#include "app/logging.h"
#include "history/historystore.h"
#include "link/delay.h"
#include "link/writeplan.h"
#include "params/linecodec.h"

#include "link/serialport.h"
#include <QDebug>
#include <QMessageBox>
#include <QScopeGuard>

MainWindow::LinkOperation::LinkOperation(MainWindow *window)
{
    if (window->linkBusy)
        return;
    owner = window;
    owner->linkBusy = true;
    owner->quitting = false;
    owner->linkLost = false;
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

setreply::End MainWindow::readAllParams(Sent *sent)
{
    const setreply::Reply reply = fetchParamSet(sent);
    bufferMainWindow = reply.bytes;
    if (reply.end == setreply::End::Interrupted)
        return reply.end;
    // A "READALL;" that could not be sent has had its message: nothing to read, nothing to compare.
    if (*sent == Sent::Yes) {
        if (reply.end == setreply::End::NoReply || reply.end == setreply::End::PortLost)
            QMessageBox::information(this, QString(), tr("Ошибка чтения данных"), QMessageBox::Ok);
        else
            slotGetAllParams(bufferMainWindow);
    }
    attachReceivePath();
    return reply.end;
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

    Sent sent = Sent::Yes;
    switch (readAllParams(&sent)) {
    case setreply::End::Interrupted:
        return;
    case setreply::End::PortLost:
        // Nothing read back means nothing was compared: the send or "Ошибка чтения данных" has said so. The
        // modem has stored the set if "WRITEALL;" reached it.
        if (lastSent == Sent::Yes)
            reportStatus(statusline::Outcome::WrittenLinkLost);
        else
            reportLinkFailure(sent);
        return;
    case setreply::End::NoReply:
        reportStatus(statusline::Outcome::WrittenUnchecked);
        return;
    case setreply::End::Complete:
    case setreply::End::LineQuiet:
        break;
    }
    const QStringList mismatchedKeys = writeplan::mismatchedKeys(writtenParamsMap, paramsMap);
    for (const QString &key : mismatchedKeys)
        QMessageBox::information(this, QString(), writeplan::mismatchMessage(key), QMessageBox::Ok);
    const int mismatched = mismatchedKeys.size();
    reportStatus(mismatched == 0 ? statusline::Outcome::Written : statusline::Outcome::Mismatched, QString(),
                 mismatched);
    // What the modem holds now, as it read back.
    formModem = modem;
    keepInHistory(history::Kind::Write, history::recordTextsOf(paramsMap), modem);
}
