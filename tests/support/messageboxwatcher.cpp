#include "messageboxwatcher.h"

#include <QAbstractButton>
#include <QApplication>

MessageBoxWatcher::MessageBoxWatcher(QObject *parent) : QObject(parent)
{
    timer.setInterval(5);
    connect(&timer, &QTimer::timeout, this, &MessageBoxWatcher::poll);
    timer.start();
}

QStringList MessageBoxWatcher::texts() const
{
    QStringList result;
    for (const Box &b : seen)
        result.append(b.text);
    return result;
}

void MessageBoxWatcher::poll()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(w);
        if (!box || !box->isVisible() || box->property("velonSeen").toBool())
            continue;
        box->setProperty("velonSeen", true);
        Box b;
        b.parent = box->parentWidget();
        b.hadParent = box->parentWidget() != nullptr;
        b.parentName = b.hadParent ? box->parentWidget()->objectName() : QString();
        b.title = box->windowTitle();
        b.icon = box->icon();
        b.text = box->text();
        b.buttons = box->standardButtons();
        QAbstractButton *button = nullptr;
        for (QAbstractButton *each : box->buttons()) {
            b.buttonTexts.append(each->text());
            if (!answer.isEmpty() && each->text() == answer)
                button = each;
        }
        seen.append(b);
        if (holding)
            continue;
        if (!button)
            button = box->button(QMessageBox::Ok);
        if (!button && !box->buttons().isEmpty())
            button = box->buttons().first();
        if (button)
            button->click();
        else
            box->done(0);
    }
}
