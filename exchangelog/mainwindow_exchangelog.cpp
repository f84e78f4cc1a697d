#include "app/mainwindow.h"

#include "app/windowfit.h"
#include "exchangelog/capturingport.h"
#include "exchangelog/commandhistory.h"
#include "exchangelog/exchangelogwindow.h"
#include "ui_mainwindow.h"

void MainWindow::setUpExchangeLog(exchangelog::CapturingPort *capturingPort)
{
    exchange = std::make_unique<exchangelog::ExchangeLog>();
    connect(capturingPort, &exchangelog::CapturingPort::captured, exchange.get(),
            &exchangelog::ExchangeLog::add);
    exchangelog::attachCommandHistory(ui->lineEdit_commandToModem, ui->toolButton);
    // The menu bar now holds "Сервис"; the empty tool bar under it would take height that the smallest
    // window cannot spare.
    ui->mainToolBar->hide();
}

void MainWindow::on_action_exchangeLog_triggered()
{
    if (!exchangeWindow) {
        exchangeWindow =
            std::make_unique<exchangelog::ExchangeLogWindow>(exchange.get(), [this](QWidget *parent) {
                return fileDialogs.saveFileName(parent, tr("Сохранить журнал обмена"),
                                                files::startFolder(lastFileFolder), tr("Текст (*.txt)"));
            });
        exchangeWindow->setWindowIcon(windowIcon());
        windowfit::keepOnScreen(exchangeWindow.get(), this);
    }
    exchangeWindow->show();
    exchangeWindow->raise();
    exchangeWindow->activateWindow();
}

void MainWindow::on_action_saveDebugConsole_triggered()
{
    const QString fileName = fileDialogs.saveFileName(
        this, tr("Сохранить отладочную консоль"), files::startFolder(lastFileFolder), tr("Текст (*.txt)"));
    if (fileName.isEmpty())
        return;
    const QString text = ui->textBrowser->toPlainText();
    exchangelog::saveLines(this, fileName, text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n')));
}
