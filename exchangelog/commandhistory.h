#pragma once

#include <QString>
#include <QStringList>

class QAbstractButton;
class QLineEdit;

namespace exchangelog {

// The commands sent in this run, walked as in a terminal: older() goes back from the newest (from the one
// before it when the line still shows the newest), newer() comes forward again and, past the newest, gives
// back the text that was in the line when the walk began.
class CommandHistory
{
public:
    static constexpr int maxCommands = 100;

    // A sent command; an empty one and the same command as the newest are not kept. Ends a walk.
    void add(const QString &command);
    // The text to show in the line after Up or Down; current is what the line shows now.
    QString older(const QString &current);
    QString newer(const QString &current);
    const QStringList &commands() const { return list; } // newest first

private:
    QStringList list;
    int position = -1; // in list; -1: not walking, the line shows its own text
    QString draft;     // the line's text when the walk began
};

// Keeps a history of what the line held each time the button was pressed, and recalls it into the line
// with Up and Down. The history lives as long as the line edit.
void attachCommandHistory(QLineEdit *line, QAbstractButton *send);

} // namespace exchangelog
