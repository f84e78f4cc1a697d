#include "app/mainwindow.h"

#include "app/logging.h"
#include "params/debugtext.h"
#include "params/loadback.h"
#include "params/records.h"

#include <QDebug>
#include <QMessageBox>

void MainWindow::slotGetAllParams(QByteArray data)
{
    const QStringList paramsList = records::splitRecords(data);
    qCDebug(lcParams) << "paramsList";
    qCDebug(lcParams) << debugtext::excerpt(paramsList);
    paramsMap = records::toParamsMap(paramsList);
    // A file of thousands of keys would give a line each.
    const QMap<QString, QString> shown = debugtext::firstEntries(paramsMap);
    for (auto it = shown.cbegin(); it != shown.cend(); ++it)
        qCDebug(lcParams) << "Read "
                          << "key " << debugtext::excerpt(it.key()) << "value "
                          << debugtext::excerpt(it.value());
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
