#include "exchangelog/commandhistory.h"

#include <QAbstractButton>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace exchangelog {

void CommandHistory::add(const QString &command)
{
    position = -1;
    draft.clear();
    if (command.isEmpty() || (!list.isEmpty() && list.first() == command))
        return;
    list.prepend(command);
    if (list.size() > maxCommands)
        list.removeLast();
}

QString CommandHistory::older(const QString &current)
{
    if (position < 0) {
        draft = current;
        // The line still shows what was just sent: the first Up goes to the command before it.
        if (list.size() > 1 && list.first() == current)
            position = 0;
    }
    if (position + 1 >= list.size())
        return current;
    return list.at(++position);
}

QString CommandHistory::newer(const QString &current)
{
    if (position < 0)
        return current;
    --position;
    return position < 0 ? draft : list.at(position);
}

namespace {

class HistoryKeys : public QObject
{
public:
    HistoryKeys(QLineEdit *line, QAbstractButton *send) : QObject(line), line(line)
    {
        line->installEventFilter(this);
        // The line's text, not the button's: the send itself is the window's business.
        connect(send, &QAbstractButton::clicked, this, [this] { history.add(this->line->text()); });
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() != Qt::NoModifier && key->modifiers() != Qt::KeypadModifier)
            return false;
        if (key->key() == Qt::Key_Up)
            line->setText(history.older(line->text()));
        else if (key->key() == Qt::Key_Down)
            line->setText(history.newer(line->text()));
        else
            return false;
        return true;
    }

private:
    QLineEdit *line;
    CommandHistory history;
};

} // namespace

void attachCommandHistory(QLineEdit *line, QAbstractButton *send)
{
    new HistoryKeys(line, send);
}

} // namespace exchangelog
