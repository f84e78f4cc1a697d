#include "exchangelog/exchangelogwindow.h"

#include "files/paramfile.h"
#include "ui_exchangelogwindow.h"

#include <QFontDatabase>
#include <QMessageBox>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

namespace exchangelog {

namespace {
// How often an open window takes up what came: often enough to follow by eye, rarely enough that drawing
// it costs the link nothing.
constexpr int followMs = 100;
} // namespace

ExchangeLogWindow::ExchangeLogWindow(ExchangeLog *log, SaveNameDialog askSaveName, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::ExchangeLogWindow>()), log(log),
      askSaveName(std::move(askSaveName)), following(new QTimer(this))
{
    ui->setupUi(this);
    ui->plainTextEdit_log->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    ui->toolButton_copy->setEnabled(false);
    connect(ui->plainTextEdit_log, &QPlainTextEdit::copyAvailable, ui->toolButton_copy, &QWidget::setEnabled);
    following->setSingleShot(true);
    following->setInterval(followMs);
    connect(following, &QTimer::timeout, this, &ExchangeLogWindow::catchUp);
    connect(log, &ExchangeLog::changed, this, [this] {
        if (!isVisible())
            stale = true;
        else if (!following->isActive())
            following->start();
    });
}

ExchangeLogWindow::~ExchangeLogWindow() = default;

void ExchangeLogWindow::showEvent(QShowEvent *event)
{
    if (stale)
        rebuild();
    QWidget::showEvent(event);
}

Form ExchangeLogWindow::form() const
{
    return ui->checkBox_hex->isChecked() ? Form::Hex : Form::Text;
}

void ExchangeLogWindow::rebuild()
{
    following->stop();
    shown.clear();
    QStringList texts;
    const QString filter = ui->lineEdit_filter->text();
    for (int i = 0; i < log->count(); ++i) {
        const QString text = lineText(log->line(i), form());
        if (passes(text, filter)) {
            texts.append(text);
            shown.push_back(log->firstNumber() + i);
        }
    }
    ui->plainTextEdit_log->setPlainText(texts.join(QLatin1Char('\n')));
    ui->plainTextEdit_log->moveCursor(QTextCursor::End);
    considered = log->firstNumber() + log->count();
    stale = false;
}

void ExchangeLogWindow::catchUp()
{
    if (!isVisible())
        stale = true;
    if (stale)
        return;
    forgetDroppedLines();
    const QString filter = ui->lineEdit_filter->text();
    const qint64 first = log->firstNumber();
    const qint64 end = first + log->count();
    QStringList texts;
    // The last line looked at may have grown since; the ones before it are as they were.
    for (qint64 number = qMax(considered - 1, first); number < end; ++number) {
        const QString text = lineText(log->line(int(number - first)), form());
        if (number == considered - 1 && !shown.empty() && shown.back() == number) {
            QTextCursor cursor(ui->plainTextEdit_log->document()->lastBlock());
            if (cursor.block().text() != text) {
                cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
                cursor.insertText(text);
            }
        } else if (passes(text, filter)) {
            // A line grows only at its end, so one that passes the filter keeps passing it.
            texts.append(text);
            shown.push_back(number);
        }
    }
    // Keeps the view at the bottom when it was there; otherwise leaves it where the engineer is reading.
    if (!texts.isEmpty())
        ui->plainTextEdit_log->appendPlainText(texts.join(QLatin1Char('\n')));
    considered = end;
}

void ExchangeLogWindow::forgetDroppedLines()
{
    int gone = 0;
    while (!shown.empty() && shown.front() < log->firstNumber()) {
        shown.pop_front();
        ++gone;
    }
    if (gone == 0)
        return;
    QTextCursor cursor(ui->plainTextEdit_log->document());
    if (shown.empty())
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    else
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, gone);
    cursor.removeSelectedText();
}

void ExchangeLogWindow::on_lineEdit_filter_textChanged(const QString &)
{
    rebuild();
}

void ExchangeLogWindow::on_checkBox_hex_toggled(bool)
{
    rebuild();
}

void ExchangeLogWindow::on_toolButton_copy_clicked()
{
    ui->plainTextEdit_log->copy();
}

void ExchangeLogWindow::on_toolButton_clear_clicked()
{
    log->clear();
}

void ExchangeLogWindow::on_toolButton_save_clicked()
{
    const QString fileName = askSaveName(this);
    if (!fileName.isEmpty())
        saveLines(this, fileName, log->texts(form(), Time::Dated));
}

bool saveLines(QWidget *parent, const QString &fileName, const QStringList &lines)
{
    if (paramfile::save(fileName, paramfile::fileBytes(lines)) == paramfile::SaveResult::Saved)
        return true;
    QMessageBox::information(parent, QString(), QObject::tr("Не удалось сохранить файл"), QMessageBox::Ok);
    return false;
}

} // namespace exchangelog
