#include "exchangelog/exchangelogwindow.h"

#include "files/paramfile.h"
#include "ui_exchangelogwindow.h"

#include <QFontDatabase>
#include <QMessageBox>
#include <QTextBlock>
#include <QTextCursor>

namespace exchangelog {

ExchangeLogWindow::ExchangeLogWindow(ExchangeLog *log, SaveNameDialog askSaveName, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::ExchangeLogWindow>()), log(log),
      askSaveName(std::move(askSaveName))
{
    ui->setupUi(this);
    ui->plainTextEdit_log->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    ui->toolButton_copy->setEnabled(false);
    connect(ui->plainTextEdit_log, &QPlainTextEdit::copyAvailable, ui->toolButton_copy, &QWidget::setEnabled);
    connect(log, &ExchangeLog::lineAdded, this, &ExchangeLogWindow::showNewLine);
    connect(log, &ExchangeLog::lastLineGrew, this, &ExchangeLogWindow::showGrownLine);
    connect(log, &ExchangeLog::linesDropped, this, &ExchangeLogWindow::forgetDroppedLines);
    connect(log, &ExchangeLog::cleared, this, &ExchangeLogWindow::rebuild);
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

bool ExchangeLogWindow::following()
{
    if (!isVisible())
        stale = true;
    return !stale;
}

void ExchangeLogWindow::rebuild()
{
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
    stale = false;
}

void ExchangeLogWindow::appendShown(qint64 number, const QString &text)
{
    // Keeps the view at the bottom when it was there; otherwise leaves it where the engineer is reading.
    ui->plainTextEdit_log->appendPlainText(text);
    shown.push_back(number);
}

void ExchangeLogWindow::showNewLine()
{
    if (!following())
        return;
    const int last = log->count() - 1;
    const QString text = lineText(log->line(last), form());
    if (passes(text, ui->lineEdit_filter->text()))
        appendShown(log->firstNumber() + last, text);
}

void ExchangeLogWindow::showGrownLine()
{
    if (!following())
        return;
    const int last = log->count() - 1;
    const qint64 number = log->firstNumber() + last;
    const QString text = lineText(log->line(last), form());
    if (!shown.empty() && shown.back() == number) {
        QTextCursor cursor(ui->plainTextEdit_log->document()->lastBlock());
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.insertText(text);
    } else if (passes(text, ui->lineEdit_filter->text())) {
        // A line grows only at its end, so it can only start to pass the filter, never stop.
        appendShown(number, text);
    }
}

void ExchangeLogWindow::forgetDroppedLines()
{
    if (!following())
        return;
    int gone = 0;
    while (!shown.empty() && shown.front() < log->firstNumber()) {
        shown.pop_front();
        ++gone;
    }
    if (gone == 0)
        return;
    QTextDocument *doc = ui->plainTextEdit_log->document();
    QTextCursor cursor(doc);
    if (shown.empty()) {
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    } else {
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, gone);
    }
    cursor.removeSelectedText();
}

void ExchangeLogWindow::on_lineEdit_filter_textChanged(const QString &)
{
    if (following())
        rebuild();
}

void ExchangeLogWindow::on_checkBox_hex_toggled(bool)
{
    if (following())
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
        saveLines(this, fileName, log->texts(form()));
}

bool saveLines(QWidget *parent, const QString &fileName, const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + '\n';
    if (paramfile::save(fileName, bytes) == paramfile::SaveResult::Saved)
        return true;
    QMessageBox::information(parent, QString(), QObject::tr("Не удалось сохранить файл"), QMessageBox::Ok);
    return false;
}

} // namespace exchangelog
