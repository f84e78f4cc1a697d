#include "app/mainwindow.h"

// Placeholders until this area lands.
void MainWindow::on_toolButton_readModemParams_clicked() {}
bool MainWindow::validateParamSet()
{
    return false;
}
