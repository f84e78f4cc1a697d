#pragma once

#include "exchangelog/exchangelog.h"

#include <QStringList>
#include <QWidget>

#include <deque>
#include <functional>
#include <memory>

class QTimer;

namespace Ui {
class ExchangeLogWindow;
}

namespace exchangelog {

// The exchange log's window: the lines of an ExchangeLog as text or hexadecimal bytes, filtered by a typed
// text, following the traffic as it comes (a few times a second, not once per byte: it must not hold up the
// link). Top-level and not modal; while hidden it does no work and catches up when shown again.
class ExchangeLogWindow : public QWidget
{
    Q_OBJECT

public:
    // Asks where to save the log (parent for the dialog); an empty name when cancelled.
    using SaveNameDialog = std::function<QString(QWidget *parent)>;

    ExchangeLogWindow(ExchangeLog *log, SaveNameDialog askSaveName, QWidget *parent = nullptr);
    ~ExchangeLogWindow() override;

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void on_lineEdit_filter_textChanged(const QString &text);
    void on_checkBox_hex_toggled(bool checked);
    void on_toolButton_copy_clicked();
    void on_toolButton_clear_clicked();
    void on_toolButton_save_clicked();

private:
    Form form() const;
    void rebuild();
    // Brings the view up to the log: drops the lines that went, updates the line that may have grown,
    // appends the new ones.
    void catchUp();
    void forgetDroppedLines();

    std::unique_ptr<Ui::ExchangeLogWindow> ui;
    ExchangeLog *log;
    SaveNameDialog askSaveName;
    QTimer *following = nullptr;
    std::deque<qint64> shown; // the numbers of the log's lines in the view, top to bottom
    qint64 considered = 0;    // the number of the first log line the view has not looked at
    bool stale = true;        // the log changed while the window was hidden
};

// Writes the lines, each followed by a line feed, to a UTF-8 text file; a failure is told in a message
// box on parent. False when the file was not written.
bool saveLines(QWidget *parent, const QString &fileName, const QStringList &lines);

} // namespace exchangelog
