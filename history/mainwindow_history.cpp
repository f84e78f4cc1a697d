#include "app/mainwindow.h"

#include "app/windowfit.h"
#include "files/paramfile.h"
#include "history/comparewindow.h"
#include "history/historystore.h"
#include "history/historywindow.h"
#include "link/receivepath.h"
#include "link/writeplan.h"
#include "params/loadback.h"
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

#include <functional>

static const char editedTitleMark[] = " *";

namespace {

// Sees the application's Quit: the session manager sends it once a session really ends (after its request
// for the edits), and the windows are closed from it.
class QuitWatch : public QObject
{
public:
    QuitWatch(QObject *parent, std::function<void()> seen) : QObject(parent), seen(std::move(seen))
    {
        qApp->installEventFilter(this);
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == qApp && event->type() == QEvent::Quit)
            seen();
        return false;
    }

private:
    std::function<void()> seen;
};

} // namespace

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
    // The closes of that Quit come at once, inside it; a Quit that some window refuses ends nothing.
    new QuitWatch(this, [this] {
        if (!sessionSaved)
            return;
        sessionEnding = true;
        QMetaObject::invokeMethod(
            this, [this] { sessionEnding = false; }, Qt::QueuedConnection);
    });
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
    if (!formEdited)
        return true;
    // The session ends: nobody can answer, and the edits are in the history.
    if (sessionEnding) {
        keepUnsavedEdits();
        return true;
    }
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
    // A checkpoint, or a logout cancelled later, ends nothing: the close question stays for the edits to
    // come.
    sessionSaved = true;
    keepUnsavedEdits();
}

bool MainWindow::keepUnsavedEdits()
{
    if (!formEdited)
        return false;
    if (editsKept == editsMade)
        return true;
    const QString modem = formModem.isEmpty()
                              ? history::modemFolder(ui->lineEdit_IMEILevel->text(), port->portName())
                              : formModem;
    if (keepInHistory(history::Kind::Unsaved, heldRecordTexts(), modem))
        editsKept = editsMade;
    return true;
}

void MainWindow::sayEditsKept(bool kept)
{
    if (kept && editsKept == editsMade)
        reportStatus(statusline::Outcome::EditsKept);
    else if (kept)
        reportStatus(statusline::Outcome::HistoryNotKept, historyError);
}

bool MainWindow::keepInHistory(history::Kind kind, const QStringList &recordTexts, const QString &modem)
{
    const history::Kept kept =
        history::keep(historyFolder, modem, kind, recordTexts, QDateTime::currentDateTime());
    historyError = kept.error;
    if (!kept.error.isEmpty())
        reportStatus(statusline::Outcome::HistoryNotKept, kept.error);
    if (historyDialog && historyDialog->isVisible())
        historyDialog->setEntries(history::entries(historyFolder));
    return kept.error.isEmpty();
}

bool MainWindow::askModemFolder(QString *folder)
{
    Sent sent = Sent::Yes;
    const Asked asked = askField(QStringLiteral("IMEI;"), int(receivepath::Field::Imei), &sent);
    if (asked == Asked::NotSent)
        reportLinkFailure(sent);
    else if (asked == Asked::Lost)
        reportStatus(statusline::Outcome::LinkLost);
    if (asked == Asked::NotSent || asked == Asked::Lost || asked == Asked::Interrupted)
        return false;
    *folder = history::modemFolder(asked == Asked::Field ? ui->lineEdit_IMEILevel->text() : QString(),
                                   port->portName());
    return true;
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
    QString modemFolder;
    if (!operation.started() || !askModemFolder(&modemFolder))
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
    keepInHistory(history::Kind::Read, history::recordTextsOf(modem), modemFolder);
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
    // What the form would hold after loading the file, as velon-cli's diff takes a file: the very file the
    // form came from then differs in nothing.
    const QMap<QString, QString> other =
        records::toParamsMap(records::splitRecords(paramfile::setBytesOfText(text)));
    const loadback::Taken taken = loadback::freshTake(other);
    showComparison();
    compareDialog->showComparison(
        writeplan::compare(heldRecordTexts(),
                           taken.refusal.isEmpty() ? writeplan::writtenValues(taken.recordTexts) : other),
        QFileInfo(name).fileName());
}
