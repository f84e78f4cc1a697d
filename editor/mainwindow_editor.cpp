#include "app/mainwindow.h"

// Placeholders until this area lands.
void MainWindow::slotGetSETIDStringFromSettingsWindow(QString) {}
void MainWindow::slotGetSETLOGStringFromSettingsWindow(QString) {}
void MainWindow::slotGetSETCSDStringFromSettingsWindow(QString) {}
void MainWindow::slotGetPASSETStringFromSettingsWindow(QString) {}
void MainWindow::on_lineEdit_csdNumber1_textChanged(const QString &) {}
void MainWindow::on_lineEdit_csdNumber2_textChanged(const QString &) {}
void MainWindow::on_lineEdit_csdNumber3_textChanged(const QString &) {}
void MainWindow::on_lineEdit_csdNumber4_textChanged(const QString &) {}
void MainWindow::on_lineEdit_csdNumber5_textChanged(const QString &) {}
void MainWindow::on_lineEdit_controlNumber1_textChanged(const QString &) {}
void MainWindow::on_lineEdit_controlNumber2_textChanged(const QString &) {}
void MainWindow::on_lineEdit_controlNumber3_textChanged(const QString &) {}
void MainWindow::on_lineEdit_controlNumber4_textChanged(const QString &) {}
void MainWindow::on_lineEdit_controlNumber5_textChanged(const QString &) {}
void MainWindow::on_lineEdit_pinSIM1_textChanged(const QString &) {}
void MainWindow::on_lineEdit_userNameGPRSSIM1_textChanged(const QString &) {}
void MainWindow::on_lineEdit_passwordGPRSSIM1_textChanged(const QString &) {}
void MainWindow::on_lineEdit_pointAPNGPRSSIM1_textChanged(const QString &) {}
void MainWindow::on_lineEdit_pinSIM2_textChanged(const QString &) {}
void MainWindow::on_lineEdit_userNameGPRSSIM2_textChanged(const QString &) {}
void MainWindow::on_lineEdit_passwordGPRSSIM2_textChanged(const QString &) {}
void MainWindow::on_lineEdit_pointAPNGPRSSIM2_textChanged(const QString &) {}
void MainWindow::on_comboBox_rs232BaudRate_currentIndexChanged(const QString &) {}
void MainWindow::on_comboBox_rs232DataBits_currentIndexChanged(const QString &) {}
void MainWindow::on_comboBox_rs232Parity_currentIndexChanged(const QString &) {}
void MainWindow::on_comboBox_rs232StopBits_currentIndexChanged(const QString &) {}
void MainWindow::on_comboBox_dataControlRs232_currentIndexChanged(const QString &) {}
void MainWindow::on_comboBox_rs485BaudRate_currentIndexChanged(const QString &) {}
void MainWindow::on_comboBox_rs485DataBits_currentIndexChanged(const QString &) {}
void MainWindow::on_comboBox_rs485Parity_currentIndexChanged(const QString &) {}
void MainWindow::on_comboBox_rs485StopBits_currentIndexChanged(const QString &) {}
void MainWindow::on_comboBox_flowControlRs485_currentIndexChanged(const QString &) {}
void MainWindow::on_comboBox_canBaudRate_currentIndexChanged(const QString &) {}
void MainWindow::on_comboBox_canDataBits_currentIndexChanged(const QString &) {}
void MainWindow::on_comboBox_canParity_currentIndexChanged(const QString &) {}
void MainWindow::on_comboBox_canStopBits_currentIndexChanged(const QString &) {}
void MainWindow::on_lineEdit_url1_textChanged(const QString &) {}
void MainWindow::on_lineEdit_url2_textChanged(const QString &) {}
void MainWindow::on_lineEdit_url3_textChanged(const QString &) {}
void MainWindow::on_lineEdit_url4_textChanged(const QString &) {}
void MainWindow::on_lineEdit_url5_textChanged(const QString &) {}
void MainWindow::on_spinBox_portUrl1_valueChanged(const QString &) {}
void MainWindow::on_spinBox_portUrl2_valueChanged(const QString &) {}
void MainWindow::on_spinBox_portUrl3_valueChanged(const QString &) {}
void MainWindow::on_spinBox_portUrl4_valueChanged(const QString &) {}
void MainWindow::on_spinBox_portUrl5_valueChanged(const QString &) {}
void MainWindow::on_spinBox_intervalUrl1_valueChanged(const QString &) {}
void MainWindow::on_spinBox_intervalUrl2_valueChanged(const QString &) {}
void MainWindow::on_spinBox_intervalUrl3_valueChanged(const QString &) {}
void MainWindow::on_spinBox_intervalUrl4_valueChanged(const QString &) {}
void MainWindow::on_spinBox_intervalUrl5_valueChanged(const QString &) {}
void MainWindow::on_comboBox_sim1Mode_currentIndexChanged(const QString &) {}
void MainWindow::on_comboBox_sim2Mode_currentIndexChanged(const QString &) {}
void MainWindow::on_comboBox_prioritySim_currentIndexChanged(const QString &) {}
void MainWindow::on_radioButton_comActive_clicked(bool) {}
void MainWindow::on_radioButton_rsActive_clicked(bool) {}
void MainWindow::on_radioButton_canActive_clicked(bool) {}
void MainWindow::on_radioButton_settingModeArmSIM1_clicked() {}
void MainWindow::on_radioButton_settingModeArmSIM1_clicked(bool) {}
void MainWindow::on_radioButton_client_clicked(bool) {}
void MainWindow::on_radioButton_server_clicked(bool) {}
void MainWindow::on_spinBox_portModeServer_valueChanged(const QString &) {}
void MainWindow::on_spinBox_timeout_valueChanged(const QString &) {}
void MainWindow::on_spinBox_rebootInterval_valueChanged(const QString &) {}
void MainWindow::initForm() {}
void MainWindow::finishForm() {}
