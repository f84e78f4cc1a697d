#pragma once

#include "link/writeplan.h"

#include <QDialog>

class QLabel;
class QTableWidget;

namespace history {

// "Сравнение": the form against the modem, a file or a kept set, key by key, the differing keys first and
// marked. The main window fetches the other set.
class CompareWindow : public QDialog
{
    Q_OBJECT

public:
    explicit CompareWindow(QWidget *parent = nullptr);
    // otherName heads the other set's column ("Модем (ttyUSB0)", a file's name).
    void showComparison(const QVector<writeplan::ComparedKey> &rows, const QString &otherName);

signals:
    void withModemRequested();
    void withFileRequested();
    void withHistoryRequested();

private:
    QLabel *count = nullptr;
    QTableWidget *table = nullptr;
};

} // namespace history
