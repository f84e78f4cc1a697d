#pragma once

#include "history/historystore.h"

#include <QDialog>

class QTableWidget;
class QPushButton;

namespace history {

// "История": the kept sets, newest first. "Открыть" loads the chosen one into the form, "Сравнить с
// формой" compares it with the form; the main window does both.
class HistoryWindow : public QDialog
{
    Q_OBJECT

public:
    explicit HistoryWindow(QWidget *parent = nullptr);
    void setEntries(const QVector<Entry> &entries);

signals:
    void openRequested(const QString &path);
    void compareRequested(const QString &path);

private:
    QString chosenPath() const;

    QTableWidget *table = nullptr;
    QPushButton *openButton = nullptr;
    QPushButton *compareButton = nullptr;
    QVector<Entry> shown;
};

} // namespace history
