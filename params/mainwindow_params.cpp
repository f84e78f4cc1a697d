#include "app/mainwindow.h"

#include "app/logging.h"
#include "params/loadback.h"
#include "params/records.h"

#include <QDebug>
#include <QMessageBox>

void MainWindow::slotGetAllParams(QByteArray data)
{
    const QStringList paramsList = records::splitRecords(data);
    qCDebug(lcParams) << "paramsList";
    qCDebug(lcParams) << paramsList;
    paramsMap = records::toParamsMap(paramsList);
    for (auto it = paramsMap.cbegin(); it != paramsMap.cend(); ++it)
        qCDebug(lcParams) << "Read "
                          << "key " << it.key() << "value " << it.value();
}

bool MainWindow::recordsLoadBack(statusline::Outcome refused)
{
    const QString message = loadback::blockingMessage(heldRecordTexts());
    if (message.isEmpty())
        return true;
    QMessageBox::information(this, QString(), message, QMessageBox::Ok);
    reportStatus(refused, message);
    return false;
}
