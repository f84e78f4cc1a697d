#include "app/windowfit.h"
#include "app/windowframe.h"
#include "editor/formfit.h"
#include "editorwindow.h"
#include "settings/formsettings.h"
#include "testfont.h"
#include "testmain.h"
#include "windowmanager.h"

#include <QAbstractButton>
#include <QAction>
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
#include <QToolButton>

// Every text of the main window and the settings dialog is shown whole. The suite runs this once per desktop
// font and scale (tests/editor/CMakeLists.txt): the family from VELON_TEST_FONT (the platform's default
// without it), the size from VELON_TEST_FONT_SIZE (testfont.h), the scale from QT_FONT_DPI (fonts and the
// screen's pixels grow together, as on a desktop set to a larger scale) or QT_SCALE_FACTOR (the toolkit
// scales everything: the logical pixels stay). Under Xvfb the window is also measured on the screen it
// opened on, with the window manager named by VELON_TEST_WINDOW_MANAGER (windowmanager.h) framing it and
// VELON_TEST_STARTS fresh windows, one after the other: where the frame comes from is a race.

// What a window's frame and title bar take from the screen besides the window itself.
static const QSize frameAllowance(10, 40);
static const QMargins frameMargins(5, 35, 5, 5);

// How many logical pixels a desktop at the run's font resolution has for each of a 96-dpi one.
static qreal screenScale()
{
    if (QCoreApplication::testAttribute(Qt::AA_Use96Dpi))
        return 1.0;
    return qApp->primaryScreen()->logicalDotsPerInchY() / 96.0;
}

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

static bool tabBarScrolls(QTabBar *bar)
{
    for (QToolButton *arrow : bar->findChildren<QToolButton *>()) {
        if (arrow->isVisible())
            return true;
    }
    return false;
}

// The window's frame as its window manager draws it; without one, as the toolkit has it.
static QRect frameOnScreen(const QWidget *window)
{
    if (const std::optional<QMargins> frame = windowframe::reported(window->windowHandle()))
        return window->geometry().marginsAdded(*frame);
    return window->frameGeometry();
}

static QWidget *topLevel(const QString &name)
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->objectName() == name)
            return top;
    }
    return nullptr;
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
        // The text is drawn two pixels in from the sides of the contents and shown from its start only when
        // it fits with a pixel for the cursor and the glyphs' overhang; a disabled field cannot scroll to it.
        QStyleOptionFrame opt;
        opt.initFrom(edit);
        opt.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
        const QRect contents =
            edit->style()->subElementRect(QStyle::SE_LineEditContents, &opt, edit) - edit->textMargins();
        const int overhang = qMax(0, -fm.minLeftBearing()) + qMax(0, -fm.minRightBearing());
        const QSize need(edit->text().isEmpty() ? 0 : fm.horizontalAdvance(edit->text()) + 1 + overhang,
                         edit->minimumSizeHint().height());
        return tooSmall(edit->text().isEmpty() ? QStringLiteral("a line of text") : edit->text(), need,
                        QSize(contents.width() - 4, w->height()));
    }
    if (auto *tabs = qobject_cast<QTabWidget *>(w)) {
        QTabBar *bar = tabs->tabBar();
        const QRect shown = bar->rect() & tabs->rect().translated(-bar->pos());
        // A narrow window's tab bar scrolls: its arrows reach the tabs it cannot show.
        const bool scrolls = tabBarScrolls(bar);
        for (int i = 0; i < bar->count(); ++i) {
            const QRect tab = bar->tabRect(i);
            if ((!scrolls && !shown.contains(tab)) ||
                tab.width() < bar->fontMetrics().horizontalAdvance(bar->tabText(i)))
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

    TestWindowManager windowManager;
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
        // The run's font resolution is the point of a QT_FONT_DPI run: the test main's fixed 96 dpi would
        // hide it.
        // So is the X server's on a real display.
        if (qEnvironmentVariableIsSet("QT_FONT_DPI") ||
            QGuiApplication::platformName() == QLatin1String("xcb"))
            QCoreApplication::setAttribute(Qt::AA_Use96Dpi, false);
        const QString manager = windowManager.start();
        QVERIFY2(manager.isEmpty(), qPrintable(manager));
        const QString resolved = applyTestFont();
        const QFontInfo info(QApplication::font());
        qInfo().noquote() << "font" << qEnvironmentVariable("VELON_TEST_FONT", "(the platform's)")
                          << qEnvironmentVariable("VELON_TEST_FONT_SIZE", "10")
                          << "pt asked:" << QApplication::font().family() << "resolved to" << resolved
                          << info.pointSizeF() << "pt," << info.pixelSize() << "px; scale"
                          << qApp->primaryScreen()->devicePixelRatio() << "x" << screenScale() << "; screen"
                          << sizeText(qApp->primaryScreen()->availableGeometry().size()) << "on"
                          << QGuiApplication::platformName();
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
        // As after a read of the modem's identity.
        form->widget<QLineEdit>("lineEdit_IMEILevel")->setText("356938035643809");
        form->window->show();
        QVERIFY(QTest::qWaitForWindowExposed(form->window.get()));
        QTRY_VERIFY(!windowfit::settling(form->window.get()));
    }
    void cleanup() { form.reset(); }

    // Opened where it has room, the window needs no scrolling: the tab bar, the panel, the pages and the
    // debug area show all they hold.
    void collectScrolling(const QString &where, QMap<QString, QString> &misfits)
    {
        auto *tabs = form->widget<QTabWidget>("tabWidget");
        if (tabBarScrolls(tabs->tabBar()))
            misfits.insert("tabWidget", QStringLiteral("tabWidget: the tab bar scrolls %1").arg(where));
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            QApplication::processEvents();
            for (QScrollArea *area : form->window->findChildren<QScrollArea *>()) {
                if (area->isVisible() &&
                    (area->horizontalScrollBar()->isVisible() || area->verticalScrollBar()->isVisible()))
                    misfits.insert(area->objectName(),
                                   QStringLiteral("%1: scrolls %2, shows %3 of %4")
                                       .arg(area->objectName(), where, sizeText(area->viewport()->size()),
                                            sizeText(area->widget()->minimumSizeHint())));
            }
        }
    }

    // As a 1280x720 screen (at the run's scale) opens it, whatever the test platform's own screen.
    void mainWindowAsOpened()
    {
        const QSize screen = QSize(1280, 720) * screenScale();
        MainWindow *window = form->window.get();
        window->setGeometry(windowfit::placementOn(window, QRect(QPoint(0, 0), screen), frameMargins));
        QApplication::processEvents();
        QMap<QString, QString> misfits;
        collectMainWindow(QStringLiteral("as opened"), misfits);
        collectScrolling(QStringLiteral("as opened"), misfits);
        requireFits(form->window.get(), screen, misfits);
    }

    // One row per start of the program (VELON_TEST_STARTS, 1 without it).
    void mainWindowOnItsScreen_data()
    {
        QTest::addColumn<int>("start");
        const int starts = qMax(1, qEnvironmentVariableIntValue("VELON_TEST_STARTS"));
        for (int start = 1; start <= starts; ++start)
            QTest::addRow("start %d", start) << start;
    }

    // The windows as the user opens them on the screen at hand (Xvfb at 1024x600, 1280x720 or 1920x1080):
    // the main window, the settings dialog, the exchange log, the history and the comparison each with its
    // frame on the screen's available area, the log beside the window where there is room for it; nothing
    // cut off, and nothing scrolling where the screen has room for the whole window.
    void mainWindowOnItsScreen()
    {
        MainWindow *window = form->window.get();
        const QRect available = window->screen()->availableGeometry();
        if (available.width() < 1024 || available.height() < 600)
            QSKIP("the platform's screen is smaller than 1024x600 (the offscreen platform's is 800x600)");
        // Under a window manager the frame must be its word, not a guess.
        if (qEnvironmentVariableIsSet("VELON_TEST_WINDOW_MANAGER"))
            QVERIFY(windowframe::reported(window->windowHandle()).has_value());
        QMap<QString, QString> misfits;
        collectMainWindow(QStringLiteral("on its screen"), misfits);
        const QRect frame = frameOnScreen(window);
        qInfo().noquote() << "opened at" << frame << "on" << available;
        window->findChild<QAction *>("action_exchangeLog")->trigger();
        window->settingsWindow()->show();
        window->findChild<QAction *>("action_history")->trigger();
        window->findChild<QAction *>("action_compare")->trigger();
        for (const char *name : {"FormSettings", "ExchangeLogWindow", "HistoryWindow", "CompareWindow"}) {
            QWidget *other = topLevel(name);
            QVERIFY2(other && QTest::qWaitForWindowExposed(other), name);
            QTRY_VERIFY2(!windowfit::settling(other), name);
        }
        QTRY_VERIFY(!windowfit::settling(window));
        for (QWidget *top : QApplication::topLevelWidgets()) {
            const QRect on = frameOnScreen(top);
            if (top->isVisible() && !available.contains(on))
                misfits.insert(top->objectName(), QStringLiteral("the frame of %1 at %2,%3 %4 is not on %5")
                                                      .arg(top->objectName())
                                                      .arg(on.x())
                                                      .arg(on.y())
                                                      .arg(sizeText(on.size()), sizeText(available.size())));
        }
        if (frameOnScreen(window) != frame)
            misfits.insert(window->objectName(), QStringLiteral("the window moved when the others opened"));
        const QRect log = frameOnScreen(topLevel("ExchangeLogWindow"));
        if (available.right() - frame.right() >= log.width() && log.left() <= frame.right())
            misfits.insert("ExchangeLogWindow", QStringLiteral("the exchange log is not beside the window"));
        auto *panel = form->widget<QScrollArea>("scrollArea");
        if (available.width() >= 1280 * screenScale() && available.height() >= 720 * screenScale() &&
            (panel->horizontalScrollBar()->isVisible() || panel->verticalScrollBar()->isVisible()))
            misfits.insert(
                panel->objectName(),
                QStringLiteral("the panel scrolls on a screen of %1").arg(sizeText(available.size())));
        const QSize whole = formfit::sizeShowingWhole(window) + frame.size() - window->size();
        if (whole.boundedTo(available.size()) == whole)
            collectScrolling(QStringLiteral("on a screen with room for the whole window"), misfits);
        for (const QString &line : misfits)
            qWarning().noquote() << "does not fit:" << line;
        QVERIFY2(misfits.isEmpty(), qPrintable(QStringLiteral("%1 widgets do not fit").arg(misfits.size())));
    }

    // On the smallest size the window takes, nothing is cut off: what does not fit scrolls.
    void mainWindowAtMinimum()
    {
        form->window->resize(1, 1);
        QApplication::processEvents();
        QMap<QString, QString> misfits;
        collectMainWindow(QStringLiteral("smallest"), misfits);
        // The tabs and the debug area gave up their room first: the panel's labels and fields, and the debug
        // area's title and lines, stay whole across.
        auto *panel = form->widget<QScrollArea>("scrollArea");
        if (panel->horizontalScrollBar()->isVisible())
            misfits.insert("scrollArea", "scrollArea: the panel scrolls sideways at the smallest size");
        auto *debug = form->widget<QScrollArea>("scrollArea_2");
        if (debug->verticalScrollBar()->isVisible())
            misfits.insert("scrollArea_2", "scrollArea_2: the debug area scrolls at the smallest size");
        requireFits(form->window.get(), QSize(1024, 600) * screenScale(), misfits);
    }

    void settingsDialog()
    {
        FormSettings *settings = form->window->settingsWindow();
        settings->show();
        QVERIFY(QTest::qWaitForWindowExposed(settings));
        // Opened at the height its rows need: no empty band below them.
        QCOMPARE(settings->height(), settings->sizeHint().height());
        QMap<QString, QString> misfits;
        collectMisfits(settings, QStringLiteral("as opened"), misfits);
        settings->resize(1, 1);
        QApplication::processEvents();
        collectMisfits(settings, QStringLiteral("smallest"), misfits);
        requireFits(settings, QSize(1024, 600) * screenScale(), misfits);
    }
};

VELON_TEST_MAIN(TestTextFit)
#include "tst_textfit.moc"
