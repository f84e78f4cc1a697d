#pragma once

#include "app/mainwindow.h"
#include "debuglines.h"
#include "link/portlist.h"
#include "messageboxwatcher.h"
#include "typing.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QStringList>
#include <QtTest>

#include <memory>

// The main window as the user first sees it: no serial port anywhere (the search's message is pressed
// away), nothing read yet.
struct EditorWindow
{
    MessageBoxWatcher boxes;
    std::unique_ptr<MainWindow> window;
    QStringList startupDebugLines; // what the handlers wrote while the window was built

    EditorWindow()
    {
        portlist::setProvider([] { return QStringList{}; });
        DebugLines debug;
        window = std::make_unique<MainWindow>();
        startupDebugLines = debug.lines;
    }

    template <typename T = QWidget> T *widget(const QString &name) const
    {
        T *w = window->findChild<T *>(name);
        if (!w)
            qWarning("no widget %s of the expected kind", qPrintable(name));
        return w;
    }

    QString record(const QString &key) const { return window->recordText(key); }

    // Shows the window on the tab holding the widget, so that clicks land on laid-out widgets.
    void showTabOf(QWidget *w)
    {
        window->show();
        auto *tabs = widget<QTabWidget>("tabWidget");
        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->widget(i)->isAncestorOf(w))
                tabs->setCurrentIndex(i);
        }
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
};

// Chooses an item by its text the way the user would end up with it: the box's current index changes.
inline bool chooseItem(QComboBox *box, const QString &text)
{
    const int i = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (i < 0)
        return false;
    box->setCurrentIndex(i);
    return true;
}
