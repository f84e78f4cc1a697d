#include "editorwindow.h"
#include "settings/formsettings.h"
#include "testfont.h"
#include "testmain.h"

#include <QAbstractButton>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QTabWidget>

// Every text of the main window and the settings dialog is shown whole. The suite runs this once per desktop
// font and scale factor (tests/editor/CMakeLists.txt): the scale factor comes from QT_SCALE_FACTOR, the
// family from VELON_TEST_FONT (the platform's default family without it), always at 10 points.

// What a window's frame and title bar take from the screen besides the window itself.
static const QSize frameAllowance(10, 40);

static QString sizeText(const QSize &s)
{
    return QStringLiteral("%1x%2").arg(s.width()).arg(s.height());
}

static QString tooSmall(const QString &text, const QSize &need, const QSize &has)
{
    if (need.width() <= has.width() && need.height() <= has.height())
        return QString();
    return QStringLiteral("\"%1\" needs %2, has %3").arg(text, sizeText(need), sizeText(has));
}

static QRect groupTitleRect(QGroupBox *box)
{
    QStyleOptionGroupBox opt;
    opt.initFrom(box);
    opt.text = box->title();
    opt.lineWidth = 1;
    opt.textAlignment = box->alignment();
    opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    if (box->isFlat())
        opt.features |= QStyleOptionFrame::Flat;
    return box->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, box);
}

// Why the text of one widget is not shown whole; empty when it is.
static QString textMisfit(QWidget *w)
{
    const QFontMetrics fm = w->fontMetrics();
    if (auto *label = qobject_cast<QLabel *>(w))
        return label->text().isEmpty() ? QString()
                                       : tooSmall(label->text(), label->minimumSizeHint(), w->size());
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        return tooSmall(button->text(), button->sizeHint(), w->size());
    if (auto *box = qobject_cast<QGroupBox *>(w)) {
        if (box->title().isEmpty())
            return QString();
        // The style draws the title into its label rectangle, clipped to it; that rectangle must cover the
        // title's ink and lie inside the box.
        const QRect title = groupTitleRect(box);
        const QString cut =
            tooSmall(box->title(), fm.boundingRect(box->title()).size().expandedTo(title.size()),
                     (title & box->rect()).size());
        if (!cut.isEmpty())
            return cut;
        for (QWidget *child : box->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
            if (child->isVisible() && child->geometry().intersects(title))
                return QStringLiteral("title \"%1\" lies under %2").arg(box->title(), child->objectName());
        }
        return QString();
    }
    if (auto *combo = qobject_cast<QComboBox *>(w)) {
        QStyleOptionComboBox opt;
        opt.initFrom(combo);
        opt.editable = combo->isEditable();
        opt.frame = combo->hasFrame();
        opt.subControls = QStyle::SC_All;
        // The label is drawn one pixel in from each side of the edit field.
        const QSize field =
            combo->style()
                ->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, combo)
                .size() -
            QSize(2, 0);
        // Any item may become the current one.
        for (int i = 0; i < combo->count(); ++i) {
            const QString item = combo->itemText(i);
            const QString cut = tooSmall(item, QSize(fm.horizontalAdvance(item), fm.height()), field);
            if (!cut.isEmpty())
                return cut;
        }
        return QString();
    }
    if (auto *spin = qobject_cast<QAbstractSpinBox *>(w)) {
        // The spin box's own line edit shows the text two pixels in from each side and needs one more for the
        // cursor, or it scrolls the text.
        auto *edit = spin->findChild<QLineEdit *>();
        const QSize need(fm.horizontalAdvance(spin->text()) + 1, fm.height());
        return tooSmall(spin->text(), need, edit->size() - QSize(4, 2));
    }
    if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        const QSize need(0, edit->minimumSizeHint().height());
        return tooSmall(QStringLiteral("a line of text"), need, w->size());
    }
    if (auto *tabs = qobject_cast<QTabWidget *>(w)) {
        QTabBar *bar = tabs->tabBar();
        const QRect shown = bar->rect() & tabs->rect().translated(-bar->pos());
        for (int i = 0; i < bar->count(); ++i) {
            const QRect tab = bar->tabRect(i);
            if (!shown.contains(tab) || tab.width() < bar->fontMetrics().horizontalAdvance(bar->tabText(i)))
                return QStringLiteral("tab \"%1\" at %2..%3, the bar shows %4..%5")
                    .arg(bar->tabText(i))
                    .arg(tab.left())
                    .arg(tab.right())
                    .arg(shown.left())
                    .arg(shown.right());
        }
        return QString();
    }
    return QString();
}

// Whether some ancestor cuts the widget off. A scroll area's viewport may: its contents scroll.
static QString cutByAncestor(QWidget *w, QWidget *top)
{
    QRect area = w->rect();
    for (QWidget *child = w; child != top; child = child->parentWidget()) {
        QWidget *parent = child->parentWidget();
        area.translate(child->pos());
        if (parent->objectName() == QLatin1String("qt_scrollarea_viewport"))
            return QString();
        if (!parent->rect().contains(area))
            return QStringLiteral("cut off by %1 (%2 of %3)")
                .arg(parent->objectName(), sizeText(area.size()), sizeText(parent->size()));
    }
    return QString();
}

// Every visible widget of the form that does not show its text whole or is cut off, with the reason.
static void collectMisfits(QWidget *top, const QString &where, QMap<QString, QString> &misfits)
{
    for (QWidget *w : top->findChildren<QWidget *>()) {
        const QString name = w->objectName();
        // Skip the toolkit's own parts (viewports, tab bar, scroll arrows, the spin box's line edit).
        if (!w->isVisible() || name.isEmpty() || name.startsWith(QLatin1String("qt_")) ||
            qobject_cast<QTabBar *>(w->parentWidget()) || qobject_cast<QAbstractSpinBox *>(w->parentWidget()))
            continue;
        QString why = textMisfit(w);
        if (why.isEmpty())
            why = cutByAncestor(w, top);
        if (!why.isEmpty() && !misfits.contains(name))
            misfits.insert(name, QStringLiteral("%1 (%2): %3").arg(name, where, why));
    }
}

// Fails naming every misfit, and the window when it is too big for the screen.
static void requireFits(QWidget *window, const QSize &screen, QMap<QString, QString> misfits)
{
    const QSize size = window->size();
    qInfo().noquote() << window->objectName() << sizeText(size) << "for a screen of" << sizeText(screen);
    if (size.width() + frameAllowance.width() > screen.width() ||
        size.height() + frameAllowance.height() > screen.height())
        misfits.insert(window->objectName(),
                       QStringLiteral("%1 %2 with its frame exceeds a screen of %3")
                           .arg(window->objectName(), sizeText(size), sizeText(screen)));
    for (const QString &line : misfits)
        qWarning().noquote() << "does not fit:" << line;
    QVERIFY2(misfits.isEmpty(), qPrintable(QStringLiteral("%1 widgets do not fit").arg(misfits.size())));
}

class TestTextFit : public QObject
{
    Q_OBJECT

    std::unique_ptr<EditorWindow> form;

    // Walks every tab of the shown main window at its current size.
    void collectMainWindow(const QString &where, QMap<QString, QString> &misfits)
    {
        auto *tabs = form->widget<QTabWidget>("tabWidget");
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            QApplication::processEvents();
            collectMisfits(form->window.get(), where, misfits);
        }
    }

private slots:
    void initTestCase()
    {
        const QString resolved = applyTestFont();
        const QFontInfo info(QApplication::font());
        qInfo().noquote() << "font" << QApplication::font().family() << "resolved to" << resolved
                          << info.pointSizeF() << "pt," << info.pixelSize() << "px; scale"
                          << qApp->primaryScreen()->devicePixelRatio();
        // A missing family would silently be measured with another one.
        if (qEnvironmentVariableIsSet("VELON_TEST_FONT"))
            QCOMPARE(resolved, qEnvironmentVariable("VELON_TEST_FONT"));
    }

    void init()
    {
        form = std::make_unique<EditorWindow>();
        // Spin boxes show their longest text at their maximum.
        for (QSpinBox *spin : form->window->findChildren<QSpinBox *>())
            spin->setValue(spin->maximum());
        form->window->show();
        QVERIFY(QTest::qWaitForWindowExposed(form->window.get()));
    }
    void cleanup() { form.reset(); }

    void mainWindowAsOpened()
    {
        QMap<QString, QString> misfits;
        collectMainWindow(QStringLiteral("as opened"), misfits);
        // Opened, the window needs no scrolling: the panel and the debug area show everything they hold.
        for (QScrollArea *area : form->window->findChildren<QScrollArea *>()) {
            if (area->horizontalScrollBar()->isVisible() || area->verticalScrollBar()->isVisible())
                misfits.insert(area->objectName(),
                               QStringLiteral("%1: scrolls as opened, shows %2 of %3")
                                   .arg(area->objectName(), sizeText(area->viewport()->size()),
                                        sizeText(area->widget()->minimumSizeHint())));
        }
        requireFits(form->window.get(), QSize(1280, 720), misfits);
    }

    // On the smallest size the window takes, nothing is cut off: what does not fit scrolls.
    void mainWindowAtMinimum()
    {
        form->window->resize(1, 1);
        QApplication::processEvents();
        QMap<QString, QString> misfits;
        collectMainWindow(QStringLiteral("smallest"), misfits);
        requireFits(form->window.get(), QSize(1024, 600), misfits);
    }

    void settingsDialog()
    {
        FormSettings *settings = form->window->settingsWindow();
        settings->show();
        QVERIFY(QTest::qWaitForWindowExposed(settings));
        QMap<QString, QString> misfits;
        collectMisfits(settings, QStringLiteral("as opened"), misfits);
        settings->resize(1, 1);
        QApplication::processEvents();
        collectMisfits(settings, QStringLiteral("smallest"), misfits);
        requireFits(settings, QSize(1024, 600), misfits);
    }
};

VELON_TEST_MAIN(TestTextFit)
#include "tst_textfit.moc"
