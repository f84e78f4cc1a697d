#pragma once

#include <QScrollArea>

// A scroll area that asks its layout for all its contents need. The toolkit's own caps its size hint at 24
// lines of text, which a panel taller than that then scrolls through even where the window has room.
// (No Q_OBJECT: to the rest of the program and its tests it is a QScrollArea.)
class WholeScrollArea : public QScrollArea
{
public:
    using QScrollArea::QScrollArea;
    QSize sizeHint() const override;
};
