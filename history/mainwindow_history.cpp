#include "app/mainwindow.h"

#include "app/windowfit.h"
#include "files/paramfile.h"
#include "history/comparewindow.h"
#include "history/historystore.h"
#include "history/historywindow.h"
#include "link/writeplan.h"
#include "params/records.h"
#include "settings/formsettings.h"
#include "ui_mainwindow.h"

#include "link/serialport.h"
#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

static const char editedTitleMark[] = " *";

void MainWindow::setUpHistory()
{
    if (historyFolder.isEmpty())
        historyFolder = history::defaultRoot();

    // Only what the engineer does counts: typing and pasting, a choice, a click, a step of a spin box, the
    // settings window. The program's own changes come through setters, inside a fill, or not at all here.
    for (QLineEdit *edit : ui->tabWidget->findChildren<QLineEdit *>())
        connect(edit, &QLineEdit::textEdited, this, &MainWindow::noteFormEdit);
    for (QComboBox *box : ui->tabWidget->findChildren<QComboBox *>())
        connect(box, QOverload<int>::of(&QComboBox::activated), this, &MainWindow::noteFormEdit);
    for (QSpinBox *box : ui->tabWidget->findChildren<QSpinBox *>())
        connect(box, QOverload<int>::of(&QSpinBox::valueChanged), this, &MainWindow::noteFormEdit);
    for (QRadioButton *button : ui->tabWidget->findChildren<QRadioButton *>())
        connect(button, &QRadioButton::clicked, this, &MainWindow::noteFormEdit);
    connect(formSettings.get(), &FormSettings::sendSETIDStringToWindow, this, &MainWindow::noteFormEdit);
    connect(formSettings.get(), &FormSettings::sendSETLOGStringToWindow, this, &MainWindow::noteFormEdit);
    connect(formSettings.get(), &FormSettings::sendSETCSDStringToWindow, this, &MainWindow::noteFormEdit);
    connect(formSettings.get(), &FormSettings::sendPASSETStringToWindow, this, &MainWindow::noteFormEdit);

    auto *historyAction = new QAction(tr("История…"), this);
    historyAction->setObjectName("action_history");
    connect(historyAction, &QAction::triggered, this, &MainWindow::showHistory);
    auto *compareAction = new QAction(tr("Сравнить…"), this);
    compareAction->setObjectName("action_compare");
    connect(compareAction, &QAction::triggered, this, &MainWindow::showComparison);
    ui->menu_service->addAction(historyAction);
    ui->menu_service->addAction(compareAction);

    connect(qApp, &QGuiApplication::commitDataRequest, this, &MainWindow::keepEditsAtSessionEnd);
}

void MainWindow::noteFormEdit()
{
    if (fillingForm)
        return;
    ++editsMade;
    setFormEdited(true);
}

void MainWindow::setFormEdited(bool edited)
{
    if (edited == formEdited)
        return;
    formEdited = edited;
    const QString mark = QString::fromUtf8(editedTitleMark);
    QString title = windowTitle();
    if (title.endsWith(mark))
        title.chop(mark.size());
    setWindowTitle(edited ? title + mark : title);
    statusLabel->setText(statusline::line(statusOrigin, statusLastOperation, formEdited));
}

bool MainWindow::mayCloseWithEdits()
{
    // A second close while the question is open waits for its answer.
    if (askingToClose)
        return false;
    if (!formEdited || sessionEnding)
        return true;
    QMessageBox box(QMessageBox::Question, QString(), tr("Сохранить изменения в файл?"),
                    QMessageBox::NoButton, this);
    QPushButton *save = box.addButton(tr("Сохранить…"), QMessageBox::AcceptRole);
    box.addButton(tr("Не сохранять"), QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(tr("Отмена"), QMessageBox::RejectRole);
    box.setEscapeButton(cancel);
    askingToClose = true;
    box.exec();
    askingToClose = false;
    if (box.clickedButton() == cancel)
        return false;
    if (box.clickedButton() == save) {
        // The normal save, its checks and its dialog; whatever keeps the edits unsaved keeps the window.
        on_toolButton_saveToFile_clicked();
        return !formEdited;
    }
    return true;
}

void MainWindow::keepEditsAtSessionEnd()
{
    sessionEnding = true;
    if (formEdited)
        keepInHistory(history::Kind::Unsaved, heldRecordTexts());
}

void MainWindow::keepInHistory(history::Kind kind, const QStringList &recordTexts)
{
    const QString modem = history::modemFolder(ui->lineEdit_IMEILevel->text(), port->portName());
    const history::Kept kept =
        history::keep(historyFolder, modem, kind, recordTexts, QDateTime::currentDateTime());
    if (!kept.error.isEmpty())
        reportStatus(statusline::Outcome::HistoryNotKept, kept.error);
    if (historyDialog && historyDialog->isVisible())
        historyDialog->setEntries(history::entries(historyFolder));
}

void MainWindow::showHistory()
{
    if (!historyDialog) {
        historyDialog = std::make_unique<history::HistoryWindow>(this);
        windowfit::keepOnScreen(historyDialog.get());
        // Like the load button, which a read or write holds inert, a kept set waits for the link to be free.
        connect(historyDialog.get(), &history::HistoryWindow::openRequested, this,
                [this](const QString &path) {
                    if (!linkBusy)
                        loadParamFile(path);
                });
        connect(historyDialog.get(), &history::HistoryWindow::compareRequested, this,
                &MainWindow::compareWithFile);
    }
    historyDialog->setEntries(history::entries(historyFolder));
    historyDialog->show();
    historyDialog->raise();
    historyDialog->activateWindow();
}

void MainWindow::showComparison()
{
    if (!compareDialog) {
        compareDialog = std::make_unique<history::CompareWindow>(this);
        windowfit::keepOnScreen(compareDialog.get());
        connect(compareDialog.get(), &history::CompareWindow::withModemRequested, this,
                &MainWindow::compareWithModem);
        connect(compareDialog.get(), &history::CompareWindow::withFileRequested, this,
                [this] { compareWithFile(QString()); });
        connect(compareDialog.get(), &history::CompareWindow::withHistoryRequested, this,
                &MainWindow::showHistory);
    }
    compareDialog->show();
    compareDialog->raise();
    compareDialog->activateWindow();
}

void MainWindow::compareWithModem()
{
    LinkOperation operation(this);
    if (!operation.started())
        return;
    Sent sent = Sent::Yes;
    const setreply::Reply reply = fetchParamSet(&sent);
    if (reply.end == setreply::End::Interrupted)
        return;
    if (reportNoSet(reply, sent, true)) {
        attachReceivePath();
        return;
    }
    attachReceivePath();
    // The form stays as it is; the set read is still a set read, and kept.
    const QMap<QString, QString> modem = records::toParamsMap(records::splitRecords(reply.bytes));
    keepInHistory(history::Kind::Read, history::recordTextsOf(modem));
    showComparison();
    compareDialog->showComparison(writeplan::compare(heldRecordTexts(), modem),
                                  tr("Модем (%1)").arg(portInUse()));
}

void MainWindow::compareWithFile(const QString &fileName)
{
    QString name = fileName;
    if (name.isEmpty()) {
        name = fileDialogs.openFileName(this, tr("Сравнить с файлом параметров"),
                                        files::startFolder(lastFileFolder), tr("Текст (*.txt)"));
        if (name.isEmpty())
            return;
        lastFileFolder = QFileInfo(name).absolutePath();
    }
    QString text;
    if (!readParamFile(name, &text) || !holdsASet(name, text))
        return;
    const QMap<QString, QString> other =
        records::toParamsMap(records::splitRecords(paramfile::setBytesOfText(text)));
    showComparison();
    compareDialog->showComparison(writeplan::compare(heldRecordTexts(), other), QFileInfo(name).fileName());
}
