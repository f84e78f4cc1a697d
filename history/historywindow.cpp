#include "history/historywindow.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace history {

HistoryWindow::HistoryWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName("HistoryWindow");
    setWindowTitle(tr("История наборов параметров"));
    table = new QTableWidget(0, 3, this);
    table->setObjectName("tableWidget_history");
    table->setHorizontalHeaderLabels({tr("Дата и время"), tr("Модем"), tr("Что")});
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);

    auto *buttons = new QDialogButtonBox(this);
    openButton = buttons->addButton(tr("Открыть"), QDialogButtonBox::ActionRole);
    openButton->setObjectName("pushButton_open");
    compareButton = buttons->addButton(tr("Сравнить с формой"), QDialogButtonBox::ActionRole);
    compareButton->setObjectName("pushButton_compare");
    QPushButton *close = buttons->addButton(QDialogButtonBox::Close);
    close->setText(tr("Закрыть"));
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(openButton, &QPushButton::clicked, this, [this] { emit openRequested(chosenPath()); });
    connect(compareButton, &QPushButton::clicked, this, [this] { emit compareRequested(chosenPath()); });
    connect(table, &QTableWidget::cellDoubleClicked, this, [this] { emit openRequested(chosenPath()); });
    connect(table, &QTableWidget::itemSelectionChanged, this, [this] {
        const bool chosen = !chosenPath().isEmpty();
        openButton->setEnabled(chosen);
        compareButton->setEnabled(chosen);
    });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(table);
    layout->addWidget(buttons);
    resize(560, 400);
}

void HistoryWindow::setEntries(const QVector<Entry> &entries)
{
    shown = entries;
    table->setRowCount(0);
    table->setRowCount(entries.size());
    for (int row = 0; row < entries.size(); ++row) {
        const Entry &e = entries.at(row);
        table->setItem(row, 0, new QTableWidgetItem(e.at.toString("dd.MM.yyyy hh:mm:ss")));
        table->setItem(row, 1, new QTableWidgetItem(e.modem));
        table->setItem(row, 2, new QTableWidgetItem(kindText(e.kind)));
    }
    table->resizeColumnsToContents();
    if (!entries.isEmpty())
        table->selectRow(0);
    const bool chosen = !chosenPath().isEmpty();
    openButton->setEnabled(chosen);
    compareButton->setEnabled(chosen);
}

QString HistoryWindow::chosenPath() const
{
    const QList<QTableWidgetItem *> items = table->selectedItems();
    if (items.isEmpty())
        return QString();
    const int row = items.first()->row();
    return row < shown.size() ? shown.at(row).path : QString();
}

} // namespace history
