#include "settings/formsettings.h"

#include "ui_formsettings.h"

FormSettings::FormSettings(QWidget *parent) : QWidget(parent), ui(new Ui::FormSettings)
{
    ui->setupUi(this);
}

FormSettings::~FormSettings()
{
    delete ui;
}

// Placeholders until the dialog's own behaviour lands.
void FormSettings::slotGetSETIDStringFromMainWindow(QString) {}
void FormSettings::slotGetSETLOGStringFromMainWindow(QString) {}
void FormSettings::slotGetSETCSDStringFromMainWindow(QString) {}
void FormSettings::slotGetPASSETStringFromMainWindow(QString) {}
void FormSettings::on_radioButton_identitySwitch_clicked(bool) {}
void FormSettings::on_lineEdit_identityLine_textChanged(const QString &) {}
void FormSettings::on_radioButton_sendLogFile_clicked(bool) {}
void FormSettings::on_comboBox_CSD_currentIndexChanged(const QString &) {}
void FormSettings::on_lineEdit_password_textChanged(const QString &) {}
