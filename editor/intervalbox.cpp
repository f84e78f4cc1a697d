#include "editor/intervalbox.h"

#include "params/recordbuilder.h"

#include <QLineEdit>
#include <QSpinBox>

namespace {

// Only an edit of the box's text by the user emits textEdited, and it does so just before textChanged,
// from which the box takes its new value; the flag is cleared again once the box has taken it.
class TypingWatch : public QObject
{
    Q_OBJECT

public:
    explicit TypingWatch(QSpinBox *box) : QObject(box)
    {
        auto *edit = box->findChild<QLineEdit *>();
        connect(edit, &QLineEdit::textEdited, this, [this] { typing = true; });
        // Connected after the box's own connection, so it runs once the box has reported the value.
        connect(edit, &QLineEdit::textChanged, this, [this] { typing = false; });
        connect(box, &QSpinBox::editingFinished, this, [box] {
            if (recordbuilder::intervalNeedsLift(box->value()))
                box->setValue(recordbuilder::shortestInterval);
        });
    }

    bool typing = false;
};

} // namespace

namespace intervalbox {

void install(QSpinBox *box)
{
    new TypingWatch(box);
}

bool isTyping(const QSpinBox *box)
{
    const auto *watch = box->findChild<TypingWatch *>(QString(), Qt::FindDirectChildrenOnly);
    return watch && watch->typing;
}

} // namespace intervalbox

#include "intervalbox.moc"
