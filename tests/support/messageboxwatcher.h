#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>

// Watches for modal message boxes while it lives, records what each one showed and presses OK
// (or the box's only/first button, or the one named by answerWith()), so tests can run code that shows
// messages and assert on them.
class MessageBoxWatcher : public QObject
{
    Q_OBJECT

public:
    struct Box
    {
        QPointer<QWidget> parent;
        QString parentName; // object name of the parent at the time the box was seen, empty without parent
        bool hadParent = false;
        QString title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString text;
        QMessageBox::StandardButtons buttons;
        QStringList buttonTexts; // every button, standard or not
    };

    explicit MessageBoxWatcher(QObject *parent = nullptr);

    const QVector<Box> &boxes() const { return seen; }
    // From now on, a box with a button of this text gets that button pressed.
    void answerWith(const QString &buttonText) { answer = buttonText; }
    // From now on, boxes are recorded but left open (the program may close them itself).
    void holdOpen(bool on) { holding = on; }
    QStringList texts() const;
    void clear() { seen.clear(); }

private:
    void poll();

    QTimer timer;
    QVector<Box> seen;
    QString answer;
    bool holding = false;
};
