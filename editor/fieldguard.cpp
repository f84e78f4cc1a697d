#include "editor/fieldguard.h"

#include "editor/separatorvalidator.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>

namespace {

class PasteFilter : public QObject
{
public:
    PasteFilter(QLineEdit *edit, const QString &refused) : QObject(edit), edit(edit), refused(refused) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != edit || edit->isReadOnly())
            return false;
        switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent *>(event)->matches(QKeySequence::Paste)) {
                paste(QClipboard::Clipboard);
                return true;
            }
            return false;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent *>(event)->button() == Qt::MiddleButton &&
                QGuiApplication::clipboard()->supportsSelection()) {
                paste(QClipboard::Selection);
                return true;
            }
            return false;
        case QEvent::ContextMenu:
            showContextMenu(static_cast<QContextMenuEvent *>(event)->globalPos());
            return true;
        default:
            return false;
        }
    }

private:
    void paste(QClipboard::Mode mode)
    {
        const QString text = fieldtext::without(QGuiApplication::clipboard()->text(mode), refused);
        if (!text.isEmpty() || edit->hasSelectedText())
            edit->insert(text);
    }

    // The standard menu, with its paste entry going through paste() instead of the line edit's own.
    void showContextMenu(const QPoint &globalPos)
    {
        QMenu *menu = edit->createStandardContextMenu();
        const QString pasteText = QLineEdit::tr("&Paste");
        for (QAction *action : menu->actions()) {
            if (!action->text().startsWith(pasteText))
                continue;
            disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this, [this] { paste(QClipboard::Clipboard); });
        }
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(globalPos);
    }

    QLineEdit *edit;
    QString refused;
};

} // namespace

namespace fieldguard {

void install(QLineEdit *edit, const QString &refused)
{
    edit->setValidator(new SeparatorValidator(refused, edit));
    edit->installEventFilter(new PasteFilter(edit, refused));
}

void setTextAsIs(QLineEdit *edit, const QString &text)
{
    const QValidator *validator = edit->validator();
    edit->setValidator(nullptr);
    edit->setText(text);
    edit->setValidator(validator);
}

} // namespace fieldguard
