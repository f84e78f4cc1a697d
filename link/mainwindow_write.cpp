#include "app/mainwindow.h"

#include "link/delay.h"
#include "params/linecodec.h"
#include "params/records.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QSerialPort>

namespace {
constexpr int replyPollMs = 5;
constexpr int firstByteWithinMs = 1000;
constexpr int quietLineMs = 250;
constexpr int hardLimitMs = 10000;
} // namespace

MainWindow::LinkOperation::LinkOperation(MainWindow *window)
{
    if (window->linkBusy)
        return;
    owner = window;
    owner->linkBusy = true;
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

QByteArray MainWindow::receiveParamSet()
{
    waitForSendToLeave();
    QElapsedTimer sinceSent;
    sinceSent.start();
    QElapsedTimer sinceLastByte;
    sinceLastByte.start();
    QByteArray bytes;
    int earlyWakeups = 0;
    while (!windowClosing) {
        QElapsedTimer tick;
        tick.start();
        delayMs(replyPollMs);
        // Once the application is quitting, nested loops return at once: stop as if the window closed.
        if (tick.elapsed() == 0 && ++earlyWakeups > 20) {
            windowClosing = true;
            break;
        }
        const QByteArray chunk = port->isOpen() ? port->readAll() : QByteArray();
        if (!chunk.isEmpty()) {
            bytes += chunk;
            sinceLastByte.restart();
            if (records::holdsEveryKey(bytes))
                break;
        }
        const qint64 elapsed = sinceSent.elapsed();
        if (elapsed >= hardLimitMs)
            break;
        if (elapsed >= firstByteWithinMs && (bytes.isEmpty() || sinceLastByte.elapsed() >= quietLineMs))
            break;
    }
    return bytes;
}

void MainWindow::readAllParams()
{
    detachReceivePath();
    sendToModem("READALL;");
    bufferMainWindow = receiveParamSet();
    if (windowClosing)
        return;
    if (!bufferMainWindow.isEmpty())
        slotGetAllParams(bufferMainWindow);
    else
        QMessageBox::information(this, QString(), tr("Ошибка чтения данных"), QMessageBox::Ok);
    attachReceivePath();
}

void MainWindow::on_toolButton_writeModemParams_clicked()
{
    LinkOperation operation(this);
    if (!operation.started() || !recordsLoadBack())
        return;

    QStringList sendingTexts;
    for (const QString &key : records::sendingOrder())
        sendingTexts.append(recordText(key));
    qDebug() << "QString::fromLocal8Bit(bufferMainWindow)" << linecodec::decode(bufferMainWindow) + '\n';
    qDebug() << "writeAllParams" << sendingTexts.join(QString()) + "WRITEALL;";

    writtenParamsMap.clear();
    for (const QString &key : paramsKeyList)
        writtenParamsMap.insert(key, records::recordValue(key, recordText(key)));

    waitForSendToLeave();
    if (port->isOpen())
        port->clear();
    bufferMainWindow.clear();

    // A port that cannot be opened gets one message, not one per record, and no verdicts.
    for (const QString &text : sendingTexts) {
        if (!sendToModem(text))
            return;
        delayMs(10);
        if (windowClosing)
            return;
    }
    if (!sendToModem("WRITEALL;"))
        return;
    delayMs(10);
    if (windowClosing)
        return;

    readAllParams();
    // Nothing read back means nothing was compared: "Ошибка чтения данных" has said so.
    if (windowClosing || bufferMainWindow.isEmpty())
        return;
    for (const QString &key : paramsKeyList) {
        if (writtenParamsMap[key] != paramsMap[key])
            QMessageBox::information(this, QString(), tr("Параметр записан некорректно: ") + key,
                                     QMessageBox::Ok);
    }
}
