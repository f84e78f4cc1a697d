#include "app/mainwindow.h"

#include "link/delay.h"
#include "link/portlist.h"
#include "link/receivepath.h"
#include "link/replywait.h"
#include "link/sendtiming.h"
#include "link/trafficlog.h"
#include "params/linecodec.h"
#include "ui_mainwindow.h"

#include <QDateTime>
#include <QDebug>
#include <QMessageBox>
#include <QSerialPort>

namespace {
constexpr int probeWaitMs = 2000;
const char *const probe = "MODEM?;";
const char *const modemReady = "MODEM_READY;";
} // namespace

void MainWindow::findModemPort()
{
    connect(port, &QSerialPort::errorOccurred, this, &MainWindow::handlePortError, Qt::UniqueConnection);

    ui->comboBox_portList->clear();
    const QStringList names = portlist::availablePortNames();
    if (names.isEmpty()) {
        QMessageBox::critical(this, QString(), tr("COM портов не обнаружено"), QMessageBox::Ok);
        return;
    }
    for (const QString &name : names)
        ui->comboBox_portList->addItem(name);
    ui->comboBox_portList->setCurrentIndex(ui->comboBox_portList->count() - 1);

    port->setBaudRate(QSerialPort::Baud9600);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setDataTerminalReady(false);
    port->setReadBufferSize(1024);
    port->clear();

    detachReceivePath();
    searchingPort = true;
    int failedToOpen = 0;
    for (int i = 0; i < ui->comboBox_portList->count(); ++i) {
        bufferMainWindow.clear();
        ui->comboBox_portList->setCurrentIndex(i);
        port->setPortName(ui->comboBox_portList->currentText());
        if (!port->isOpen() && !port->open(QIODevice::ReadWrite)) {
            ++failedToOpen;
            if (failedToOpen == ui->comboBox_portList->count()) {
                QMessageBox::information(
                    this, QString(), tr("Не удалось открыть порт. Проверьте подключение "), QMessageBox::Ok);
                port->close();
                break;
            }
        }
        sendLeavesAtNs = 0;
        if (port->isOpen())
            port->clear();
        bufferMainWindow.clear();

        const QByteArray bytes = linecodec::encode(probe);
        const qint64 cnt = port->isOpen() ? port->write(bytes) : -1;
        qDebug() << "cnt" << cnt;
        if (cnt == -1) {
            qDebug() << "port->errorString()";
            qDebug() << port->errorString();
            port->close();
        } else {
            port->flush();
            sendLeavesAtNs = sendtiming::leavesAt(0, sendtiming::nowNs(), cnt);
        }
        // The 2000 ms start when the probe has left; a modem that answers ends them early.
        waitForSendToLeave();
        waitForText(port, modemReady, probeWaitMs);

        bufferMainWindow = port->isOpen() ? port->readAll() : QByteArray();
        const QString text = linecodec::decode(bufferMainWindow);
        qDebug() << "QString::fromLocal8Bit(bufferMainWindow)" << text;
        if (text.contains(modemReady))
            break;
        port->close();
        if (i == ui->comboBox_portList->count() - 1)
            QMessageBox::information(this, QString(), "Модем не обнаружен. Проверьте подключение ",
                                     QMessageBox::Ok);
    }
    searchingPort = false;
    attachReceivePath();
}

void MainWindow::on_comboBox_portList_currentIndexChanged(const QString &arg1)
{
    port->setPortName(arg1);
    qDebug() << "port->portName()" << port->portName();
}

bool MainWindow::sendToModem(const QString &text)
{
    // Clearing throws away what is still queued for the line: let the previous send leave first.
    if (port->isOpen())
        waitForSendToLeave();
    if (!port->isOpen()) {
        if (!port->open(QIODevice::ReadWrite)) {
            QMessageBox::information(this, QString(), tr("Не удалось открыть порт. Проверьте подключение "),
                                     QMessageBox::Ok);
            return false;
        }
        sendLeavesAtNs = 0;
    }
    port->clear();
    bufferMainWindow.clear();
    receiveKept.clear();

    const QByteArray bytes = linecodec::encode(text);
    const qint64 cnt = port->write(bytes);
    qDebug() << "cnt" << cnt;
    if (cnt == -1) {
        QMessageBox::information(this, QString(), tr("Ошибка записи в порт"), QMessageBox::Ok);
        qDebug() << "port->errorString()";
        qDebug() << port->errorString();
        port->close();
        return true;
    }
    // Hand the bytes to the driver now, so the line time counts from here and not from the next
    // turn of the event loop.
    port->flush();
    sendLeavesAtNs = sendtiming::leavesAt(sendLeavesAtNs, sendtiming::nowNs(), cnt);
    return true;
}

void MainWindow::waitForSendToLeave()
{
    // Bytes Qt could not hand over yet are not on their way; give the event loop a turn for them.
    for (int turns = 0; port->isOpen() && port->bytesToWrite() > 0 && turns < 200; ++turns) {
        port->flush();
        if (port->bytesToWrite() > 0)
            delayMs(1);
    }
    const int ms = sendtiming::waitMs(sendLeavesAtNs, sendtiming::nowNs());
    if (ms > 0)
        delayMs(ms);
    sendLeavesAtNs = 0;
}

void MainWindow::handlePortError(int error)
{
    if (error == QSerialPort::NoError || !port->isOpen() || portClosePending)
        return;
    if (error != QSerialPort::WriteError && error != QSerialPort::ResourceError &&
        error != QSerialPort::ReadError)
        return;
    // Closing inside the port's own notification would pull its buffers away under it: close on the
    // next turn of the event loop, once.
    portClosePending = true;
    const QString text = port->errorString();
    const QString failedPort = port->portName();
    QMetaObject::invokeMethod(
        this,
        [this, error, text, failedPort] {
            portClosePending = false;
            // The search may have moved on to the next port meanwhile: that one did not fail.
            if (!port->isOpen() || port->portName() != failedPort)
                return;
            qDebug() << "port->errorString()";
            qDebug() << text;
            port->close();
            sendLeavesAtNs = 0;
            receiveKept.clear();
            if (error == QSerialPort::WriteError && !searchingPort)
                QMessageBox::information(this, QString(), tr("Ошибка записи в порт"), QMessageBox::Ok);
        },
        Qt::QueuedConnection);
}

void MainWindow::attachReceivePath()
{
    // The same string form as the constructor's connection, so that Qt sees them as one.
    connect(port, SIGNAL(readyRead()), this, SLOT(on_portReadyRead()), Qt::UniqueConnection);
}

void MainWindow::detachReceivePath()
{
    disconnect(port, SIGNAL(readyRead()), this, SLOT(on_portReadyRead()));
}

void MainWindow::on_portReadyRead()
{
    qDebug() << "MainWindow::on_portReadyRead()";
    bufferMainWindow = port->readAll();
    const QByteArray ready = receivepath::reassemble(receiveKept, bufferMainWindow);
    if (ready.isEmpty())
        return;
    const QString text = linecodec::decode(ready);
    qDebug() << "QString::fromLocal8Bit(bufferMainWindow)" << text;

    QStringList parts = text.split('\n');
    for (QString &part : parts) {
        const receivepath::LineEffect effect = receivepath::interpretLine(part);
        for (const auto &field : effect.fields) {
            switch (field.first) {
            case receivepath::Field::Imei:
                ui->lineEdit_IMEILevel->setText(field.second);
                break;
            case receivepath::Field::Model:
                ui->lineEdit_modemModel->setText(field.second);
                break;
            case receivepath::Field::ProgVer:
                ui->lineEdit_controllerPO->setText(field.second);
                break;
            case receivepath::Field::Operator:
                ui->lineEdit_operator->setText(field.second);
                break;
            case receivepath::Field::RfLevel:
                ui->lineEdit_signalLevel->setText(field.second);
                break;
            case receivepath::Field::GsmVer:
                ui->lineEdit_GSMModulePO->setText(field.second);
                break;
            }
        }
        if (effect.debug)
            trafficlog::append(ui->textBrowser,
                               receivepath::debugEntry(QDateTime::currentDateTime(), effect.debugText));
        part = effect.part;
    }
    qDebug() << "allThatComingList " << parts;
}

void MainWindow::on_lineEdit_commandToModem_textChanged(const QString &arg1)
{
    commandToModem = arg1;
}

void MainWindow::on_toolButton_clicked()
{
    sendToModem(commandToModem);
}

void MainWindow::on_lineEdit_modemModel_textChanged(const QString &arg1)
{
    modemModelText = arg1;
}

void MainWindow::on_lineEdit_IMEILevel_textChanged(const QString &arg1)
{
    imeiText = arg1;
}

void MainWindow::on_lineEdit_operator_textChanged(const QString &arg1)
{
    operatorText = arg1;
}

void MainWindow::on_lineEdit_signalLevel_textChanged(const QString &arg1)
{
    signalLevelText = arg1;
}

void MainWindow::on_lineEdit_controllerPO_textChanged(const QString &arg1)
{
    controllerPOText = arg1;
}

void MainWindow::on_lineEdit_GSMModulePO_textChanged(const QString &arg1)
{
    gsmModulePOText = arg1;
}
