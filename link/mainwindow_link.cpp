#include "app/mainwindow.h"

// Placeholders until this area lands.
void MainWindow::on_comboBox_portList_currentIndexChanged(const QString &) {}
void MainWindow::on_portReadyRead() {}
void MainWindow::on_lineEdit_commandToModem_textChanged(const QString &) {}
void MainWindow::on_toolButton_clicked() {}
void MainWindow::on_lineEdit_modemModel_textChanged(const QString &) {}
void MainWindow::on_lineEdit_IMEILevel_textChanged(const QString &) {}
void MainWindow::on_lineEdit_operator_textChanged(const QString &) {}
void MainWindow::on_lineEdit_signalLevel_textChanged(const QString &) {}
void MainWindow::on_lineEdit_controllerPO_textChanged(const QString &) {}
void MainWindow::on_lineEdit_GSMModulePO_textChanged(const QString &) {}
void MainWindow::findModemPort() {}
void MainWindow::sendToModem(const QString &) {}
void MainWindow::attachReceivePath() {}
void MainWindow::detachReceivePath() {}
void MainWindow::waitForSendToLeave() {}
