#include "settings/formsettings.h"

#include "app/logging.h"
#include "app/windowfit.h"
#include "app/windowicon.h"
#include "editor/fieldguard.h"
#include "editor/formfit.h"
#include "editor/separatorvalidator.h"
#include "params/paramcheck.h"
#include "params/records.h"
#include "ui_formsettings.h"

#include <QDebug>
#include <QMessageBox>

FormSettings::FormSettings(QWidget *parent) : QWidget(parent), ui(new Ui::FormSettings)
{
    ui->setupUi(this);

    // As on the main window's form: the identifier is a field of SETID, the password the whole value of
    // PASSET, and neither may split or end its record.
    fieldguard::install(ui->lineEdit_identityLine, fieldtext::separators());
    fieldguard::install(ui->lineEdit_password, ";");
    // The limits a read or a load is checked against.
    ui->lineEdit_identityLine->setMaxLength(paramcheck::identifierLimit);
    ui->lineEdit_password->setMaxLength(paramcheck::passwordMaxLength);

    // An unchecked switch means "off": a SETID record built before the switch was first touched must
    // still carry a valid switch, or the modem and the file load would reject it.
    identitySwitch = "0";

    // Filled after setupUi so that both changes run the combo's slot and build the SETCSD record.
    csdItems = records::csdModeList();
    ui->comboBox_CSD->addItems(csdItems);
    ui->comboBox_CSD->setCurrentText("7,0,1");

    formfit::keepTextsWhole(this);
    setWindowIcon(windowicon::icon());
    windowfit::keepOnScreen(this);
}

FormSettings::~FormSettings()
{
    delete ui;
}

void FormSettings::on_radioButton_identitySwitch_clicked(bool checked)
{
    identitySwitch = checked ? "1" : "0";
    SETIDString = "SETID=" + identitySwitch + "," + identityLine + ";";
    qCDebug(lcSettings).noquote().nospace() << "SETID " << SETIDString;
    emit sendSETIDStringToWindow(SETIDString);
}

void FormSettings::on_lineEdit_identityLine_textChanged(const QString &arg1)
{
    identityLine = arg1;
    SETIDString = "SETID=" + identitySwitch + "," + identityLine + ";";
    qCDebug(lcSettings).noquote().nospace() << "SETID " << SETIDString;
    emit sendSETIDStringToWindow(SETIDString);
}

void FormSettings::on_radioButton_sendLogFile_clicked(bool checked)
{
    sendLogFile = checked ? "1" : "0";
    SETLOGString = "SETLOG=" + sendLogFile + ";";
    qCDebug(lcSettings).noquote().nospace() << "SETLOG " << SETLOGString;
    emit sendSETLOGStringToWindow(SETLOGString);
}

void FormSettings::on_comboBox_CSD_currentIndexChanged(const QString &arg1)
{
    csdMode = arg1;
    SETCSDString = "SETCSD=" + csdMode + ";";
    qCDebug(lcSettings).noquote().nospace() << "SETCSD " << SETCSDString;
    emit sendSETCSDStringToWindow(SETCSDString);
}

void FormSettings::on_lineEdit_password_textChanged(const QString &arg1)
{
    // The line edit's limit of 7 is the only bound while typing; a save or a write of a password of another
    // length is refused, as the load of it would be.
    password = arg1;
    PASSETString = "PASSET=" + password + ";";
    qCDebug(lcSettings).noquote().nospace() << "PASSET " << PASSETString;
    emit sendPASSETStringToWindow(PASSETString);
}

void FormSettings::slotGetSETIDStringFromMainWindow(QString str)
{
    const QStringList parts = records::splitFields(str);
    identitySwitch = parts.value(0);
    if (identitySwitch == "1") {
        SETIDString = "SETID=" + identitySwitch + "," + identityLine + ";";
        qCDebug(lcSettings).noquote().nospace() << "SETID " << SETIDString;
        emit sendSETIDStringToWindow(SETIDString);
        ui->radioButton_identitySwitch->setChecked(true);
    } else if (identitySwitch == "0") {
        SETIDString = "SETID=" + identitySwitch + "," + identityLine + ";";
        qCDebug(lcSettings).noquote().nospace() << "SETID " << SETIDString;
        emit sendSETIDStringToWindow(SETIDString);
        ui->radioButton_identitySwitch->setChecked(false);
    }
    // A changed identifier runs the line's slot, so the last record sent carries both new parts.
    ui->lineEdit_identityLine->setText(parts.value(1));
}

void FormSettings::slotGetSETLOGStringFromMainWindow(QString str)
{
    sendLogFile = str;
    if (sendLogFile == "1") {
        SETLOGString = "SETLOG=" + sendLogFile + ";";
        qCDebug(lcSettings).noquote().nospace() << "SETLOG " << SETLOGString;
        emit sendSETLOGStringToWindow(SETLOGString);
        ui->radioButton_sendLogFile->setChecked(true);
    } else if (sendLogFile == "0") {
        SETLOGString = "SETLOG=" + sendLogFile + ";";
        qCDebug(lcSettings).noquote().nospace() << "SETLOG " << SETLOGString;
        emit sendSETLOGStringToWindow(SETLOGString);
        ui->radioButton_sendLogFile->setChecked(false);
    }
}

void FormSettings::slotGetSETCSDStringFromMainWindow(QString str)
{
    // Only a change of the current item sends a record, through the combo's own slot.
    csdMode = str;
    ui->comboBox_CSD->setCurrentText(str);
}

void FormSettings::slotGetPASSETStringFromMainWindow(QString str)
{
    password = str;
    if (!paramcheck::passwordLengthAllowed(password)) {
        QMessageBox::information(this, QString(), paramcheck::passwordLengthMessage(), QMessageBox::Ok);
        return;
    }
    ui->lineEdit_password->setText(password);
}
