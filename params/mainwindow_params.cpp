#include "app/mainwindow.h"

#include "params/records.h"

#include <QDebug>

void MainWindow::slotGetAllParams(QByteArray data)
{
    const QStringList paramsList = records::splitRecords(data);
    qDebug() << "paramsList";
    qDebug() << paramsList;
    paramsMap = records::toParamsMap(paramsList);
    for (auto it = paramsMap.cbegin(); it != paramsMap.cend(); ++it)
        qDebug() << "Read "
                 << "key " << it.key() << "value " << it.value();
}
