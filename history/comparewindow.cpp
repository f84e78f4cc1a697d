#include "history/comparewindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace history {

CompareWindow::CompareWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName("CompareWindow");
    setWindowTitle(tr("Сравнение параметров"));
    auto *withModem = new QPushButton(tr("С модемом"), this);
    withModem->setObjectName("pushButton_withModem");
    auto *withFile = new QPushButton(tr("С файлом…"), this);
    withFile->setObjectName("pushButton_withFile");
    auto *withHistory = new QPushButton(tr("С набором из истории…"), this);
    withHistory->setObjectName("pushButton_withHistory");
    connect(withModem, &QPushButton::clicked, this, &CompareWindow::withModemRequested);
    connect(withFile, &QPushButton::clicked, this, &CompareWindow::withFileRequested);
    connect(withHistory, &QPushButton::clicked, this, &CompareWindow::withHistoryRequested);

    count = new QLabel(tr("Выберите, с чем сравнить форму"), this);
    count->setObjectName("label_count");
    table = new QTableWidget(0, 4, this);
    table->setObjectName("tableWidget_compare");
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setHorizontalHeaderLabels({QString(), tr("Параметр"), tr("В форме"), QString()});

    auto *choices = new QHBoxLayout;
    choices->addWidget(withModem);
    choices->addWidget(withFile);
    choices->addWidget(withHistory);
    choices->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(count);
    layout->addWidget(table);
    resize(720, 560);
}

void CompareWindow::showComparison(const QVector<writeplan::ComparedKey> &rows, const QString &otherName)
{
    int differing = 0;
    table->setHorizontalHeaderLabels({QString(), tr("Параметр"), tr("В форме"), otherName});
    table->setRowCount(0);
    table->setRowCount(rows.size());
    for (int row = 0; row < rows.size(); ++row) {
        const writeplan::ComparedKey &k = rows.at(row);
        const QStringList cells{k.differs ? QStringLiteral("≠") : QString(), k.key, k.form,
                                k.otherHas ? k.other : tr("(нет)")};
        for (int column = 0; column < cells.size(); ++column) {
            auto *item = new QTableWidgetItem(cells.at(column));
            if (k.differs) {
                QFont font = item->font();
                font.setBold(true);
                item->setFont(font);
                item->setBackground(QColor(255, 224, 224));
            }
            table->setItem(row, column, item);
        }
        differing += k.differs ? 1 : 0;
    }
    table->resizeColumnsToContents();
    count->setText(writeplan::differingCountText(differing));
}

} // namespace history
