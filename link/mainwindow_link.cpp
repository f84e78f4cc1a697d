#include "app/mainwindow.h"

#include "app/logging.h"
#include "exchangelog/exchangelog.h"
#include "link/delay.h"
#include "link/handshake.h"
#include "link/portlist.h"
#include "link/portsurvey.h"
#include "link/receivepath.h"
#include "link/setreply.h"
#include "link/trafficlog.h"
#include "params/linecodec.h"
#include "ui_mainwindow.h"

#include "link/serialport.h"
#include <QDateTime>
#include <QDebug>
#include <QMessageBox>
#include <QPointer>

void MainWindow::findModemPort()
{
    showSearchMessage(searchModem());
}

MainWindow::SearchMessage MainWindow::searchModem()
{
    connect(port, &SerialPort::errorOccurred, this, &MainWindow::handlePortError, Qt::UniqueConnection);
    watchSearch.reset();

    ui->comboBox_portList->clear();
    // A name listed for a device that is not there (yet) is no port to search.
    const QStringList names = portlist::present(portlist::availablePortNames());
    linkedPort.clear();
    if (names.isEmpty()) {
        port->close();
        reportStatus(statusline::Outcome::NoPorts);
        return {QMessageBox::Critical, tr("COM портов не обнаружено")};
    }
    for (const QString &name : names)
        ui->comboBox_portList->addItem(name);
    ui->comboBox_portList->setCurrentIndex(ui->comboBox_portList->count() - 1);

    // The probes open the ports themselves, this one's too.
    port->close();
    handshake::configure(port);
    detachReceivePath();
    searchingPort = true;
    bufferMainWindow.clear();
    QVector<portsurvey::Port> ports;
    std::unique_ptr<SerialPort> answered;
    const int found = portsurvey::find(
        names, &ports, [this] { return makeProbePort(); }, &answered);
    searchingPort = false;
    watching.probed(ports, watchClock.elapsed());
    for (const portsurvey::Port &p : ports) {
        if (p.problem != portopen::Problem::None) {
            watching.noteFailure(p.name);
            noteUnopened(p.name, p.problem, p.errorText);
        }
    }

    SearchMessage message;
    statusline::Outcome outcome = statusline::Outcome::ModemFound;
    if (found >= 0 && linkPort(names.at(found), ports.at(found).reply, std::move(answered))) {
        // The modem's port, open, its reply in bufferMainWindow.
    } else if (found >= 0 || portsurvey::noneOpened(ports)) {
        message = {QMessageBox::Information, tr("Не удалось открыть порт. Проверьте подключение ")};
        outcome = statusline::Outcome::PortNotOpened;
    } else {
        message = {QMessageBox::Information, "Модем не обнаружен. Проверьте подключение "};
        outcome = statusline::Outcome::ModemNotFound;
    }
    attachReceivePath();
    reportStatus(outcome, outcome == statusline::Outcome::ModemFound ? portInUse() : QString());
    return message;
}

void MainWindow::showSearchMessage(const SearchMessage &message)
{
    if (message.text.isEmpty())
        return;
    // The watcher goes on looking meanwhile; a modem it links closes the box.
    QMessageBox box(message.icon, QString(), message.text, QMessageBox::Ok, this);
    searchBox = &box;
    box.exec();
}

bool MainWindow::openPort()
{
    const portopen::Problem problem = portopen::open(port);
    if (problem == portopen::Problem::None)
        return true;
    noteUnopened(port->portName(), problem, port->errorString());
    return false;
}

bool MainWindow::linkPort(const QString &name, const QByteArray &reply, std::unique_ptr<SerialPort> answered)
{
    receiveKept.clear();
    const int index = ui->comboBox_portList->findText(name);
    if (index < 0)
        ui->comboBox_portList->addItem(name);
    ui->comboBox_portList->setCurrentIndex(index < 0 ? ui->comboBox_portList->count() - 1 : index);
    if (answered && answered->isOpen()) {
        adoptPort(std::move(answered));
    } else {
        port->close();
        port->setPortName(name);
        if (!openPort())
            return false;
    }
    bufferMainWindow = reply;
    linkedPort = name;
    if (searchBox)
        searchBox->done(QMessageBox::Ok);
    return true;
}

void MainWindow::adoptPort(std::unique_ptr<SerialPort> answered)
{
    // The probe's port object goes on as the window's: it was never closed, so DTR and RTS stayed up.
    SerialPort *old = port;
    disconnect(old, nullptr, this, nullptr);
    old->close();
    old->deleteLater();
    port = answered.release();
    port->setParent(this);
    connect(port, &SerialPort::errorOccurred, this, &MainWindow::handlePortError, Qt::UniqueConnection);
    // A failure the old port reported is not this one's.
    portClosePending = false;
}

QString MainWindow::portInUse() const
{
    return ui->comboBox_portList->currentText();
}

void MainWindow::on_comboBox_portList_currentIndexChanged(const QString &arg1)
{
    port->setPortName(arg1);
    qCDebug(lcLink) << "port->portName()" << port->portName();
}

MainWindow::Sent MainWindow::sendToModem(const QString &text)
{
    const QByteArray bytes = linecodec::encode(text);
    // A port that has reported its failure is not written to. One that turns out gone while this write
    // hands it the bytes is closed and opened once more: the bytes never reached it.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (portClosePending)
            closeFailedPort();
        if (!port->isOpen() && !openPort()) {
            QMessageBox::information(this, QString(), tr("Не удалось открыть порт. Проверьте подключение "),
                                     QMessageBox::Ok);
            return Sent::NotOpened;
        }
        // What came in and is dropped unread may be the modem's word that it restarted.
        if (linkBusy && port->bytesAvailable() > 0 &&
            setreply::saysRestarted(receiveKept + port->peek(port->bytesAvailable())))
            modemRestarted = true;
        // Only what came in: bytes of earlier sends may still wait in the driver or the adapter.
        port->clear(SerialPort::Input);
        bufferMainWindow.clear();
        receiveKept.clear();

        const qint64 cnt = port->write(bytes);
        qCDebug(lcLink) << "cnt" << cnt;
        if (cnt == -1) {
            QMessageBox::information(this, QString(), tr("Ошибка записи в порт"), QMessageBox::Ok);
            qCDebug(lcLink) << "port->errorString()";
            qCDebug(lcLink) << port->errorString();
            port->close();
            return Sent::NotWritten;
        }
        // Hand the bytes to the driver now, so the line time counts from here and not from the next
        // turn of the event loop.
        port->flush();
        if (!portClosePending) {
            pacer.handedOver(cnt);
            return Sent::Yes;
        }
    }
    closeFailedPort();
    QMessageBox::information(this, QString(), tr("Ошибка записи в порт"), QMessageBox::Ok);
    return Sent::NotWritten;
}

bool MainWindow::pause(int ms)
{
    if (!pacer.waitThenIdle(port, ms))
        quitting = true;
    if (!interrupted())
        return true;
    pacer.drain(port);
    return false;
}

bool MainWindow::untilSent()
{
    if (!pacer.waitUntilLeft(port))
        quitting = true;
    if (!interrupted())
        return true;
    pacer.drain(port);
    return false;
}

void MainWindow::handlePortError(int error)
{
    if (error == SerialPort::NoError || !port->isOpen() || portClosePending)
        return;
    if (error != SerialPort::WriteError && error != SerialPort::ResourceError &&
        error != SerialPort::ReadError)
        return;
    // Closing inside the port's own notification would pull its buffers away under it: close on the
    // next turn of the event loop (or at the next send, whichever comes first), once.
    portClosePending = true;
    pendingPortError = error;
    pendingPortErrorText = port->errorString();
    failedPortName = port->portName();
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (portClosePending)
                closeFailedPort();
        },
        Qt::QueuedConnection);
}

void MainWindow::closeFailedPort()
{
    portClosePending = false;
    // The search may have moved on to the next port meanwhile: that one did not fail.
    if (!port->isOpen() || port->portName() != failedPortName)
        return;
    qCDebug(lcLink) << "port->errorString()";
    qCDebug(lcLink) << pendingPortErrorText;
    port->close();
    receiveKept.clear();
    if (searchingPort)
        return;
    if (pendingPortError == SerialPort::WriteError) {
        QMessageBox::information(this, QString(), tr("Ошибка записи в порт"), QMessageBox::Ok);
        reportStatus(statusline::Outcome::WriteError);
    } else {
        linkLost = true;
        reportStatus(statusline::Outcome::LinkLost);
    }
}

void MainWindow::attachReceivePath()
{
    // The same string form as the constructor's connection, so that Qt sees them as one.
    connect(port, SIGNAL(readyRead()), this, SLOT(on_portReadyRead()), Qt::UniqueConnection);
    // What came while it was detached has had its announcement already.
    if (port->isOpen() && port->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, "on_portReadyRead", Qt::QueuedConnection);
}

void MainWindow::detachReceivePath()
{
    disconnect(port, SIGNAL(readyRead()), this, SLOT(on_portReadyRead()));
}

void MainWindow::on_portReadyRead()
{
    qCDebug(lcLink) << "MainWindow::on_portReadyRead()";
    bufferMainWindow = port->readAll();
    takeIncoming(bufferMainWindow);
}

void MainWindow::takeIncoming(const QByteArray &bytes)
{
    const QByteArray ready = receivepath::reassemble(receiveKept, bytes);
    if (ready.isEmpty())
        return;
    const QString text = linecodec::decode(ready);
    qCDebug(lcLink) << "QString::fromLocal8Bit(bufferMainWindow)" << text;
    // Unasked in the middle of a read or a write, the modem's answer to the search means it restarted.
    if (linkBusy && !searchingPort && setreply::saysRestarted(ready))
        modemRestarted = true;

    QStringList parts = text.split('\n');
    for (QString &part : parts) {
        const receivepath::LineEffect effect = receivepath::interpretLine(part);
        for (const auto &field : effect.fields) {
            anyFieldArrived = true;
            if (int(field.first) == awaitedField)
                awaitedArrived = true;
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
            logDebugLine(effect.debugText);
        part = effect.part;
    }
    qCDebug(lcLink) << "allThatComingList " << parts;
}

void MainWindow::logDebugLine(const QString &text)
{
    trafficlog::append(ui->textBrowser, receivepath::debugEntry(QDateTime::currentDateTime(), text));
}

void MainWindow::on_lineEdit_commandToModem_textChanged(const QString &arg1)
{
    commandToModem = arg1;
}

void MainWindow::on_toolButton_clicked()
{
    if (commandToModem.isEmpty()) {
        reportStatus(statusline::Outcome::EmptyCommand);
        return;
    }
    switch (sendToModem(commandToModem)) {
    case Sent::Yes:
        reportStatus(statusline::Outcome::CommandSent);
        break;
    case Sent::NotOpened:
        reportStatus(statusline::Outcome::PortNotOpened, portInUse());
        break;
    case Sent::NotWritten:
        reportStatus(statusline::Outcome::WriteError);
        break;
    }
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
