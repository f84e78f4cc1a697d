#include "app/mainwindow.h"

// Placeholders until this area lands.
void MainWindow::on_toolButton_saveToFile_clicked() {}
void MainWindow::on_toolButton_loadFromFile_clicked() {}
