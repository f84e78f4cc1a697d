#include "app/mainwindow.h"

#include "app/logging.h"
#include "editor/fieldguard.h"
#include "editor/intervalbox.h"
#include "editor/separatorvalidator.h"
#include "params/paramcheck.h"
#include "params/recordbuilder.h"
#include "params/records.h"
#include "ui_mainwindow.h"

#include <QDebug>
#include <QFont>

// Form initialisation. The slots are bound by setupUi already, so every value set here runs its editing
// handler and the start-up record texts are whatever this order produces.

void MainWindow::initForm()
{
    ui->comboBox_flowControlRs485->hide();

    simModeList = records::simModeList();
    prioritySimList = records::prioritySimList();
    simModeCodeList = records::simModeCodeList();
    flagCodeList = records::flagCodeList();
    csdModeList = records::csdModeList();
    ui->comboBox_sim1Mode->addItems(simModeList);
    ui->comboBox_sim2Mode->addItems(simModeList);

    ui->radioButton_comActive->setChecked(false);
    ui->radioButton_rsActive->setChecked(false);
    ui->radioButton_canActive->setChecked(false);

    ui->comboBox_prioritySim->addItems(prioritySimList);

    ui->radioButton_settingModeArmSIM1->hide();
    ui->radioButton_settingModeArmtSIM2->hide();
    ui->radioButton_settingModeAutomatSIM1->hide();
    ui->radioButton_settingModeAutomatSIM2->hide();

    for (QComboBox *box : {ui->comboBox_rs232BaudRate, ui->comboBox_rs485BaudRate, ui->comboBox_canBaudRate})
        box->addItems(records::baudRateList());
    for (QComboBox *box : {ui->comboBox_rs232DataBits, ui->comboBox_rs485DataBits, ui->comboBox_canDataBits})
        box->addItems(records::dataBitsList());
    for (QComboBox *box : {ui->comboBox_rs232Parity, ui->comboBox_rs485Parity, ui->comboBox_canParity})
        box->addItems(records::parityList());
    for (QComboBox *box : {ui->comboBox_rs232StopBits, ui->comboBox_rs485StopBits, ui->comboBox_canStopBits})
        box->addItems(records::stopBitsList());
    ui->comboBox_dataControlRs232->addItems(records::onOffCodeList());
    ui->comboBox_flowControlRs485->addItems(records::onOffCodeList());

    const QList<QLineEdit *> numberEdits{ui->lineEdit_csdNumber1,     ui->lineEdit_csdNumber2,
                                         ui->lineEdit_csdNumber3,     ui->lineEdit_csdNumber4,
                                         ui->lineEdit_csdNumber5,     ui->lineEdit_controlNumber1,
                                         ui->lineEdit_controlNumber2, ui->lineEdit_controlNumber3,
                                         ui->lineEdit_controlNumber4, ui->lineEdit_controlNumber5};
    const QList<QLineEdit *> gprsEdits{ui->lineEdit_userNameGPRSSIM1, ui->lineEdit_userNameGPRSSIM2,
                                       ui->lineEdit_passwordGPRSSIM1, ui->lineEdit_passwordGPRSSIM2,
                                       ui->lineEdit_pointAPNGPRSSIM1, ui->lineEdit_pointAPNGPRSSIM2};
    for (QLineEdit *edit : numberEdits)
        edit->setMaxLength(paramcheck::phoneNumberLimit);
    ui->lineEdit_pinSIM1->setMaxLength(paramcheck::pinLimit);
    ui->lineEdit_pinSIM2->setMaxLength(paramcheck::pinLimit);
    for (QLineEdit *edit : gprsEdits)
        edit->setMaxLength(paramcheck::gprsFieldLimit);

    // A separator typed or pasted into a field would split it into more fields, or end the record early,
    // and the modem and the file load would then see a record of the wrong structure.
    QList<QLineEdit *> fieldEdits = numberEdits + gprsEdits;
    fieldEdits << ui->lineEdit_pinSIM1 << ui->lineEdit_pinSIM2 << ui->lineEdit_url1 << ui->lineEdit_url2
               << ui->lineEdit_url3 << ui->lineEdit_url4 << ui->lineEdit_url5;
    for (QLineEdit *edit : fieldEdits)
        fieldguard::install(edit, fieldtext::separators());

    // Display-only, but legible and selectable: the engineer copies IMEI and versions into service tickets.
    for (QLineEdit *edit : {ui->lineEdit_controllerPO, ui->lineEdit_GSMModulePO, ui->lineEdit_IMEILevel,
                            ui->lineEdit_operator, ui->lineEdit_signalLevel, ui->lineEdit_modemModel})
        edit->setReadOnly(true);

    const QList<QWidget *> unused{ui->textBrowser_debug,           ui->toolButton_2,
                                  ui->lineEdit_paramsString,       ui->toolButton_parameterAnalyze,
                                  ui->toolButton_readBuffer,       ui->toolButton_debugConsole,
                                  ui->toolButton_manufacturParams, ui->comboBox_portList};
    for (QWidget *widget : unused)
        widget->hide();

    QFont font;
    font.setPointSize(10);
    QList<QWidget *> tenPoint{ui->label, ui->label_2};
    for (int n = 4; n <= 46; ++n)
        tenPoint << findChild<QLabel *>(QStringLiteral("label_%1").arg(n));
    tenPoint << ui->textBrowser << ui->tabWidget << ui->groupBox_rs232 << ui->groupBox_rs485
             << ui->groupBox_can << ui->groupBox_4 << ui->groupBox_5 << ui->groupBox_csdConnection
             << ui->groupBox_numbersOfControlSettings << ui->groupBox_URL;
    tenPoint << ui->comboBox_rs232BaudRate << ui->comboBox_rs232DataBits << ui->comboBox_rs232Parity
             << ui->comboBox_rs232StopBits << ui->comboBox_dataControlRs232 << ui->comboBox_rs485BaudRate
             << ui->comboBox_rs485DataBits << ui->comboBox_rs485Parity << ui->comboBox_rs485StopBits
             << ui->comboBox_flowControlRs485 << ui->comboBox_canBaudRate << ui->comboBox_canDataBits
             << ui->comboBox_canParity << ui->comboBox_canStopBits;
    tenPoint << ui->toolButton << ui->toolButton_2 << ui->toolButton_readModemParams
             << ui->toolButton_writeModemParams << ui->toolButton_settings << ui->toolButton_loadFromFile
             << ui->toolButton_saveToFile;
    tenPoint << ui->lineEdit_commandToModem << ui->lineEdit_signalLevel << ui->lineEdit_operator
             << ui->lineEdit_modemModel << ui->lineEdit_IMEILevel << ui->lineEdit_GSMModulePO
             << ui->lineEdit_controllerPO;
    for (QWidget *widget : tenPoint)
        widget->setFont(font);
    // The panel's scroll area measured its contents once, while the form was built without texts and fonts;
    // handed back, it measures them as they are, so the window opens with the whole panel in view.
    ui->scrollArea->setWidget(ui->scrollArea->takeWidget());

    const QList<QSpinBox *> intervalBoxes{ui->spinBox_intervalUrl1, ui->spinBox_intervalUrl2,
                                          ui->spinBox_intervalUrl3, ui->spinBox_intervalUrl4,
                                          ui->spinBox_intervalUrl5};
    for (QSpinBox *box : {ui->spinBox_portUrl1, ui->spinBox_portUrl2, ui->spinBox_portUrl3,
                          ui->spinBox_portUrl4, ui->spinBox_portUrl5})
        box->setRange(paramcheck::urlPortRange.low, paramcheck::urlPortRange.high);
    for (QSpinBox *box : intervalBoxes) {
        box->setRange(paramcheck::intervalRange.low, paramcheck::intervalRange.high);
        intervalbox::install(box);
    }
    // Going through 10 gives every SETURL record its interval field before it settles on 0.
    for (QSpinBox *box : intervalBoxes)
        box->setValue(recordbuilder::shortestInterval);
    for (QSpinBox *box : intervalBoxes)
        box->setValue(0);

    ui->lineEdit_pinSIM1->setText(QStringLiteral("3759"));
    ui->lineEdit_pinSIM2->setText(QStringLiteral("3759"));
    // Likewise "1" and back builds the ten number records.
    for (QLineEdit *edit : numberEdits)
        edit->setText(QStringLiteral("1"));
    for (QLineEdit *edit : numberEdits)
        edit->setText(QString());
}

void MainWindow::finishForm()
{
    ui->spinBox_portModeServer->setRange(paramcheck::serverPortRange.low, paramcheck::serverPortRange.high);
    ui->spinBox_timeout->setRange(paramcheck::timeoutRange.low, paramcheck::timeoutRange.high);
    ui->spinBox_rebootInterval->setRange(paramcheck::rebootRange.low, paramcheck::rebootRange.high);
    // Checking from code sends no click, so the handler is called by hand.
    ui->radioButton_client->setChecked(true);
    on_radioButton_client_clicked(true);
}

// Record rebuilding.

void MainWindow::rebuildSETCOM()
{
    SETCOMString = records::buildRecord(QStringLiteral("SETCOM"), {rs232BaudRate, rs232DataBits, rs232Parity,
                                                                   rs232StopBits, dataControlRs232});
}

void MainWindow::rebuildSETRS()
{
    SETRSString = records::buildRecord(QStringLiteral("SETRS"), {rs485BaudRate, rs485DataBits, rs485Parity,
                                                                 rs485StopBits, flowControlRs485});
}

void MainWindow::rebuildSETCAN()
{
    SETCANString = recordbuilder::canRecord(canBaudRate, canDataBits, canParity, canStopBits);
}

void MainWindow::rebuildSETSIM1()
{
    SETSIM1String = records::buildRecord(QStringLiteral("SETSIM1"),
                                         {pinSIM1, userNameGPRSSIM1, passwordGPRSSIM1, pointAPNGPRSSIM1});
    qCDebug(lcEditor) << "SETSIM1";
    qCDebug(lcEditor) << SETSIM1String;
}

void MainWindow::rebuildSETSIM2()
{
    SETSIM2String = records::buildRecord(QStringLiteral("SETSIM2"),
                                         {pinSIM2, userNameGPRSSIM2, passwordGPRSSIM2, pointAPNGPRSSIM2});
    qCDebug(lcEditor) << "SETSIM2";
    qCDebug(lcEditor) << SETSIM2String;
}

void MainWindow::rebuildSETCONF()
{
    SETCONFString = records::buildRecord(QStringLiteral("SETCONF"),
                                         {sim1Mode, sim2Mode, prioritySim, comActive, rsActive, canActive});
    qCDebug(lcEditor).noquote() << "SETCONF" << SETCONFString;
}

void MainWindow::rebuildSERVER()
{
    SERVERString =
        records::buildRecord(QStringLiteral("SERVER"), {serverMode, portModeServer, timeout, rebootInterval});
    qCDebug(lcEditor).noquote() << "SERVER" << SERVERString;
}

namespace {

QString numberRecord(const char *key, const QString &number)
{
    const QString record = records::buildRecord(QLatin1String(key), {number});
    qCDebug(lcEditor) << key;
    qCDebug(lcEditor) << record;
    return record;
}

QString urlRecord(const char *key, const QString &address, const QString &port, const QString &interval)
{
    return records::buildRecord(QLatin1String(key), {address, port, interval});
}

// A spin box's number in plain decimal: its text may carry a sign, leading zeros or a locale's own digits,
// none of which the modem or the line's encoding takes.
QString spinField(const QSpinBox *box)
{
    return QString::number(box->value());
}

// Stores an interval box's value; a value the box has to lift is not stored but lifted, which runs the
// handler again. Returns whether it stored.
bool storeInterval(QSpinBox *box, QString &component)
{
    const int minutes = box->value();
    if (recordbuilder::intervalNeedsLift(minutes) && !intervalbox::isTyping(box)) {
        box->setValue(recordbuilder::shortestInterval);
        return false;
    }
    component = recordbuilder::intervalField(minutes);
    return true;
}

// Stores a parity name's letter; a name that is none of the list keeps the old letter.
void storeParity(QString &component, const QString &name)
{
    const QString letter = records::parityLetter(name);
    if (!letter.isEmpty())
        component = letter;
}

} // namespace

// Settings window.

void MainWindow::slotGetSETIDStringFromSettingsWindow(QString str)
{
    SETIDString = str;
    qCDebug(lcEditor).noquote() << "MainWindow::slotGetSETIDStringFromSettingsWindow(QString str)"
                                << "SETID" << SETIDString;
}

void MainWindow::slotGetSETLOGStringFromSettingsWindow(QString str)
{
    SETLOGString = str;
    qCDebug(lcEditor).noquote() << "MainWindow::slotGetSETLOGStringFromSettingsWindow(QString str)"
                                << "SETLOG" << SETLOGString;
}

void MainWindow::slotGetSETCSDStringFromSettingsWindow(QString str)
{
    SETCSDString = str;
    qCDebug(lcEditor).noquote() << "MainWindow::slotGetSETCSDStringFromSettingsWindow(QString str)"
                                << "SETCSD" << SETCSDString;
}

void MainWindow::slotGetPASSETStringFromSettingsWindow(QString str)
{
    PASSETString = str;
    qCDebug(lcEditor).noquote() << "MainWindow::slotGetPASSETStringFromSettingsWindow(QString str)"
                                << "PASSET" << PASSETString;
}

// CSD and administration numbers.

void MainWindow::on_lineEdit_csdNumber1_textChanged(const QString &arg1)
{
    CSDTEL1String = numberRecord("CSDTEL1", arg1);
}

void MainWindow::on_lineEdit_csdNumber2_textChanged(const QString &arg1)
{
    CSDTEL2String = numberRecord("CSDTEL2", arg1);
}

void MainWindow::on_lineEdit_csdNumber3_textChanged(const QString &arg1)
{
    CSDTEL3String = numberRecord("CSDTEL3", arg1);
}

void MainWindow::on_lineEdit_csdNumber4_textChanged(const QString &arg1)
{
    CSDTEL4String = numberRecord("CSDTEL4", arg1);
}

void MainWindow::on_lineEdit_csdNumber5_textChanged(const QString &arg1)
{
    CSDTEL5String = numberRecord("CSDTEL5", arg1);
}

void MainWindow::on_lineEdit_controlNumber1_textChanged(const QString &arg1)
{
    ADMTEL1String = numberRecord("ADMTEL1", arg1);
}

void MainWindow::on_lineEdit_controlNumber2_textChanged(const QString &arg1)
{
    ADMTEL2String = numberRecord("ADMTEL2", arg1);
}

void MainWindow::on_lineEdit_controlNumber3_textChanged(const QString &arg1)
{
    ADMTEL3String = numberRecord("ADMTEL3", arg1);
}

void MainWindow::on_lineEdit_controlNumber4_textChanged(const QString &arg1)
{
    ADMTEL4String = numberRecord("ADMTEL4", arg1);
}

void MainWindow::on_lineEdit_controlNumber5_textChanged(const QString &arg1)
{
    ADMTEL5String = numberRecord("ADMTEL5", arg1);
}

// SIM cards.

void MainWindow::on_lineEdit_pinSIM1_textChanged(const QString &arg1)
{
    pinSIM1 = arg1;
    rebuildSETSIM1();
}

void MainWindow::on_lineEdit_userNameGPRSSIM1_textChanged(const QString &arg1)
{
    userNameGPRSSIM1 = arg1;
    rebuildSETSIM1();
}

void MainWindow::on_lineEdit_passwordGPRSSIM1_textChanged(const QString &arg1)
{
    passwordGPRSSIM1 = arg1;
    rebuildSETSIM1();
}

void MainWindow::on_lineEdit_pointAPNGPRSSIM1_textChanged(const QString &arg1)
{
    pointAPNGPRSSIM1 = arg1;
    rebuildSETSIM1();
}

void MainWindow::on_lineEdit_pinSIM2_textChanged(const QString &arg1)
{
    pinSIM2 = arg1;
    rebuildSETSIM2();
}

void MainWindow::on_lineEdit_userNameGPRSSIM2_textChanged(const QString &arg1)
{
    userNameGPRSSIM2 = arg1;
    rebuildSETSIM2();
}

void MainWindow::on_lineEdit_passwordGPRSSIM2_textChanged(const QString &arg1)
{
    passwordGPRSSIM2 = arg1;
    rebuildSETSIM2();
}

void MainWindow::on_lineEdit_pointAPNGPRSSIM2_textChanged(const QString &arg1)
{
    pointAPNGPRSSIM2 = arg1;
    rebuildSETSIM2();
}

// RS232.

void MainWindow::on_comboBox_rs232BaudRate_currentIndexChanged(const QString &arg1)
{
    rs232BaudRate = arg1;
    rebuildSETCOM();
    qCDebug(lcEditor) << "SETCOM";
    qCDebug(lcEditor) << SETCOMString;
}

void MainWindow::on_comboBox_rs232DataBits_currentIndexChanged(const QString &arg1)
{
    rs232DataBits = arg1;
    rebuildSETCOM();
    qCDebug(lcEditor) << "SETCOM";
    qCDebug(lcEditor) << SETCOMString;
}

void MainWindow::on_comboBox_rs232Parity_currentIndexChanged(const QString &arg1)
{
    storeParity(rs232Parity, arg1);
    rebuildSETCOM();
}

void MainWindow::on_comboBox_rs232StopBits_currentIndexChanged(const QString &arg1)
{
    rs232StopBits = arg1;
    rebuildSETCOM();
}

void MainWindow::on_comboBox_dataControlRs232_currentIndexChanged(const QString &arg1)
{
    dataControlRs232 = arg1;
    rebuildSETCOM();
}

// RS485.

void MainWindow::on_comboBox_rs485BaudRate_currentIndexChanged(const QString &arg1)
{
    rs485BaudRate = arg1;
    rebuildSETRS();
}

void MainWindow::on_comboBox_rs485DataBits_currentIndexChanged(const QString &arg1)
{
    rs485DataBits = arg1;
    rebuildSETRS();
}

void MainWindow::on_comboBox_rs485Parity_currentIndexChanged(const QString &arg1)
{
    storeParity(rs485Parity, arg1);
    rebuildSETRS();
}

void MainWindow::on_comboBox_rs485StopBits_currentIndexChanged(const QString &arg1)
{
    rs485StopBits = arg1;
    rebuildSETRS();
}

// The box is hidden, but a value read from the modem must survive a write back: losing it would silently
// switch the modem's RS485 flow control off.
void MainWindow::on_comboBox_flowControlRs485_currentIndexChanged(const QString &arg1)
{
    if (!records::onOffCodeList().contains(arg1))
        return;
    flowControlRs485 = arg1;
    rebuildSETRS();
}

// CAN.

void MainWindow::on_comboBox_canBaudRate_currentIndexChanged(const QString &arg1)
{
    canBaudRate = arg1;
    rebuildSETCAN();
}

void MainWindow::on_comboBox_canDataBits_currentIndexChanged(const QString &arg1)
{
    canDataBits = arg1;
    rebuildSETCAN();
}

void MainWindow::on_comboBox_canParity_currentIndexChanged(const QString &arg1)
{
    storeParity(canParity, arg1);
    rebuildSETCAN();
}

void MainWindow::on_comboBox_canStopBits_currentIndexChanged(const QString &arg1)
{
    canStopBits = arg1;
    rebuildSETCAN();
}

// Servers: the address is read from its line edit, port and interval are kept as components.

void MainWindow::on_lineEdit_url1_textChanged(const QString &arg1)
{
    SETURL1String = urlRecord("SETURL1", arg1, portUrl1, intervalUrl1);
}

void MainWindow::on_lineEdit_url2_textChanged(const QString &arg1)
{
    SETURL2String = urlRecord("SETURL2", arg1, portUrl2, intervalUrl2);
}

void MainWindow::on_lineEdit_url3_textChanged(const QString &arg1)
{
    SETURL3String = urlRecord("SETURL3", arg1, portUrl3, intervalUrl3);
}

void MainWindow::on_lineEdit_url4_textChanged(const QString &arg1)
{
    SETURL4String = urlRecord("SETURL4", arg1, portUrl4, intervalUrl4);
}

void MainWindow::on_lineEdit_url5_textChanged(const QString &arg1)
{
    SETURL5String = urlRecord("SETURL5", arg1, portUrl5, intervalUrl5);
}

void MainWindow::on_spinBox_portUrl1_valueChanged(const QString &)
{
    portUrl1 = spinField(ui->spinBox_portUrl1);
    SETURL1String = urlRecord("SETURL1", ui->lineEdit_url1->text(), portUrl1, intervalUrl1);
}

void MainWindow::on_spinBox_portUrl2_valueChanged(const QString &)
{
    portUrl2 = spinField(ui->spinBox_portUrl2);
    SETURL2String = urlRecord("SETURL2", ui->lineEdit_url2->text(), portUrl2, intervalUrl2);
}

void MainWindow::on_spinBox_portUrl3_valueChanged(const QString &)
{
    portUrl3 = spinField(ui->spinBox_portUrl3);
    SETURL3String = urlRecord("SETURL3", ui->lineEdit_url3->text(), portUrl3, intervalUrl3);
}

void MainWindow::on_spinBox_portUrl4_valueChanged(const QString &)
{
    portUrl4 = spinField(ui->spinBox_portUrl4);
    SETURL4String = urlRecord("SETURL4", ui->lineEdit_url4->text(), portUrl4, intervalUrl4);
}

void MainWindow::on_spinBox_portUrl5_valueChanged(const QString &)
{
    portUrl5 = spinField(ui->spinBox_portUrl5);
    SETURL5String = urlRecord("SETURL5", ui->lineEdit_url5->text(), portUrl5, intervalUrl5);
}

void MainWindow::on_spinBox_intervalUrl1_valueChanged(const QString &)
{
    if (storeInterval(ui->spinBox_intervalUrl1, intervalUrl1))
        SETURL1String = urlRecord("SETURL1", ui->lineEdit_url1->text(), portUrl1, intervalUrl1);
}

void MainWindow::on_spinBox_intervalUrl2_valueChanged(const QString &)
{
    if (storeInterval(ui->spinBox_intervalUrl2, intervalUrl2))
        SETURL2String = urlRecord("SETURL2", ui->lineEdit_url2->text(), portUrl2, intervalUrl2);
}

void MainWindow::on_spinBox_intervalUrl3_valueChanged(const QString &)
{
    if (storeInterval(ui->spinBox_intervalUrl3, intervalUrl3))
        SETURL3String = urlRecord("SETURL3", ui->lineEdit_url3->text(), portUrl3, intervalUrl3);
}

void MainWindow::on_spinBox_intervalUrl4_valueChanged(const QString &)
{
    if (storeInterval(ui->spinBox_intervalUrl4, intervalUrl4))
        SETURL4String = urlRecord("SETURL4", ui->lineEdit_url4->text(), portUrl4, intervalUrl4);
}

void MainWindow::on_spinBox_intervalUrl5_valueChanged(const QString &)
{
    if (storeInterval(ui->spinBox_intervalUrl5, intervalUrl5))
        SETURL5String = urlRecord("SETURL5", ui->lineEdit_url5->text(), portUrl5, intervalUrl5);
}

// SETCONF.

void MainWindow::on_comboBox_sim1Mode_currentIndexChanged(const QString &arg1)
{
    const QString code = recordbuilder::simModeCode(arg1);
    if (code.isEmpty())
        return;
    sim1Mode = code;
    rebuildSETCONF();
}

void MainWindow::on_comboBox_sim2Mode_currentIndexChanged(const QString &arg1)
{
    const QString code = recordbuilder::simModeCode(arg1);
    if (code.isEmpty())
        return;
    sim2Mode = code;
    rebuildSETCONF();
}

void MainWindow::on_comboBox_prioritySim_currentIndexChanged(const QString &arg1)
{
    const QString code = recordbuilder::prioritySimCode(arg1);
    if (code.isEmpty())
        return;
    prioritySim = code;
    rebuildSETCONF();
}

void MainWindow::on_radioButton_comActive_clicked(bool checked)
{
    comActive = recordbuilder::activeCode(checked);
    rebuildSETCONF();
}

void MainWindow::on_radioButton_rsActive_clicked(bool checked)
{
    rsActive = recordbuilder::activeCode(checked);
    rebuildSETCONF();
}

void MainWindow::on_radioButton_canActive_clicked(bool checked)
{
    canActive = recordbuilder::activeCode(checked);
    rebuildSETCONF();
}

// The SIM mode buttons are hidden and disabled; the mode is chosen in the combo boxes.
void MainWindow::on_radioButton_settingModeArmSIM1_clicked() {}
void MainWindow::on_radioButton_settingModeArmSIM1_clicked(bool) {}

// SERVER. The server port only means something in server mode.

void MainWindow::on_radioButton_client_clicked(bool checked)
{
    serverMode = recordbuilder::serverModeAfterClientClick(checked);
    if (checked)
        ui->groupBox_portModeServer->setEnabled(false);
    rebuildSERVER();
}

void MainWindow::on_radioButton_server_clicked(bool checked)
{
    serverMode = recordbuilder::serverModeAfterServerClick(checked);
    if (checked)
        ui->groupBox_portModeServer->setEnabled(true);
    rebuildSERVER();
}

void MainWindow::on_spinBox_portModeServer_valueChanged(const QString &)
{
    portModeServer = spinField(ui->spinBox_portModeServer);
    rebuildSERVER();
}

void MainWindow::on_spinBox_timeout_valueChanged(const QString &)
{
    timeout = spinField(ui->spinBox_timeout);
    rebuildSERVER();
}

void MainWindow::on_spinBox_rebootInterval_valueChanged(const QString &)
{
    rebootInterval = spinField(ui->spinBox_rebootInterval);
    rebuildSERVER();
}
