#include "arrangement.h"
#include "editorwindow.h"
#include "params/records.h"
#include "testmain.h"

#include <QClipboard>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>

// The main window's form as it stands after construction: widgets, places, texts, items, limits,
// visibility and fonts.
class TestEditorForm : public QObject
{
    Q_OBJECT
private slots:
    void init() { form = std::make_unique<EditorWindow>(); }
    void cleanup() { form.reset(); }

    void window();
    void tabs();
    void centralGrid_data();
    void centralGrid();
    void arrangement_data();
    void arrangement();
    void keptPlaces();
    void gridCells_data();
    void gridCells();
    void texts_data();
    void texts();
    void layoutsSpacingAndMargins();
    void comboItems_data();
    void comboItems();
    void startValues_data();
    void startValues();
    void lengthLimits_data();
    void lengthLimits();
    void spinRanges_data();
    void spinRanges();
    void noOtherLimits();
    void hiddenAndDisabled();
    void sizes_data();
    void sizes();
    void oneLineLabels();
    void fonts();

private:
    std::unique_ptr<EditorWindow> form;
};

void TestEditorForm::window()
{
    MainWindow *w = form->window.get();
    QCOMPARE(w->objectName(), QString("MainWindow"));
    QCOMPARE(w->windowTitle(), QString::fromUtf8("Конфигуратор GSM\\GPRS модемов \"Велон\""));
    QCOMPARE(w->size(), QSize(1180, 679));
    QCOMPARE(w->centralWidget()->objectName(), QString("centralWidget"));
    QCOMPARE(w->centralWidget()->layout()->objectName(), QString("gridLayout_4"));
    QCOMPARE(w->menuBar()->objectName(), QString("menuBar"));
    // The one menu, "Сервис"; the tool bar stays empty and gives its height to the menu bar.
    QCOMPARE(w->menuBar()->actions().size(), 1);
    const QMenu *service = w->menuBar()->actions().first()->menu();
    QCOMPARE(service->title(), QString("Сервис"));
    QStringList items;
    for (const QAction *action : service->actions())
        items.append(action->isSeparator() ? "-" : action->text() + ' ' + action->shortcut().toString());
    QCOMPARE(items,
             (QStringList{"Найти модем F5", "Порт ", "Сведения о модеме Ctrl+I", "-", "Журнал обмена Ctrl+L",
                          "Сохранить отладочную консоль… ", "История… ", "Сравнить… "}));
    auto *toolBar = form->widget<QToolBar>("mainToolBar");
    QVERIFY(toolBar);
    QCOMPARE(w->toolBarArea(toolBar), Qt::TopToolBarArea);
    QVERIFY(toolBar->actions().isEmpty());
    QVERIFY(toolBar->isHidden());
    QCOMPARE(w->statusBar()->objectName(), QString("statusBar"));
    QVERIFY(w->statusBar()->currentMessage().isEmpty());
}

void TestEditorForm::tabs()
{
    auto *tabs = form->widget<QTabWidget>("tabWidget");
    QVERIFY(tabs);
    const QStringList pages{"tab_SIM", "tab_interface", "tab_CSD", "tab_admin", "tab", "tab_schedule"};
    const QStringList titles{QString::fromUtf8("Настройки SIM карты"),
                             QString::fromUtf8("Интерфейсы"),
                             QString::fromUtf8("CSD соединение"),
                             QString::fromUtf8("Администрирование"),
                             "URL",
                             QString::fromUtf8("Расписание")};
    QCOMPARE(tabs->count(), 6);
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(tabs->widget(i)->objectName(), pages.at(i));
        QCOMPARE(tabs->tabText(i), titles.at(i));
    }
    QCOMPARE(tabs->currentIndex(), 4);
    form->window->show();
    QVERIFY(QTest::qWaitForWindowExposed(form->window.get()));
    QCOMPARE(tabs->currentWidget()->objectName(), QString("tab"));
    QVERIFY(tabs->widget(5)->findChildren<QWidget *>().isEmpty());
}

void TestEditorForm::centralGrid_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QRect>("cell"); // column, row, column span, row span
    auto row = [](const char *name, const char *kind, int r, int c, int rs = 1, int cs = 1) {
        QTest::newRow(name) << QString(name) << QString(kind) << QRect(c, r, cs, rs);
    };
    row("toolButton_debugConsole", "QToolButton", 0, 0);
    row("comboBox_portList", "QComboBox", 0, 3);
    row("toolButton_manufacturParams", "QToolButton", 0, 4);
    row("toolButton_readBuffer", "QToolButton", 1, 0);
    row("lineEdit_paramsString", "QLineEdit", 2, 1);
    row("toolButton_parameterAnalyze", "QToolButton", 2, 4);
    row("lineEdit_commandToModem", "QLineEdit", 3, 0, 1, 4);
    row("toolButton", "QToolButton", 3, 4);
    row("scrollArea", "QScrollArea", 4, 0, 1, 2);
    row("tabWidget", "QTabWidget", 4, 2, 1, 3);
    row("textBrowser_debug", "QTextBrowser", 4, 5, 2, 1);
    row("scrollArea_2", "QScrollArea", 5, 0, 2, 5);
    row("toolButton_2", "QToolButton", 6, 5);
}

void TestEditorForm::centralGrid()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QRect, cell);
    auto *grid = form->widget<QWidget>("centralWidget")->findChild<QGridLayout *>("gridLayout_4");
    QVERIFY(grid);
    QWidget *w = form->widget(name);
    QVERIFY(w);
    QCOMPARE(QString(w->metaObject()->className()), kind);
    const int index = grid->indexOf(w);
    QVERIFY(index >= 0);
    int r, c, rs, cs;
    grid->getItemPosition(index, &r, &c, &rs, &cs);
    QCOMPARE(QRect(c, r, cs, rs), cell);

    // The spacer shares row 0 and spans two columns.
    bool spacerFound = false;
    for (int i = 0; i < grid->count(); ++i) {
        if (QSpacerItem *spacer = grid->itemAt(i)->spacerItem()) {
            grid->getItemPosition(i, &r, &c, &rs, &cs);
            QCOMPARE(QRect(c, r, cs, rs), QRect(1, 0, 2, 1));
            QCOMPARE(spacer->sizeHint(), QSize(524, 20));
            QCOMPARE(spacer->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
            spacerFound = true;
        }
    }
    QVERIFY(spacerFound);
}

// The form is laid out, so sizes follow the desktop's fonts; what stays is where each widget lies against
// its neighbours, and the offsets from the page corners.
void TestEditorForm::arrangement_data()
{
    using namespace arrangement;
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<int>("place");
    QTest::addColumn<QString>("reference");
    auto row = [](const char *name, const char *kind, const char *parent, Place place,
                  const char *reference) {
        QTest::newRow(qPrintable(QStringLiteral("%1 %2 %3").arg(name, arrangement::name(place), reference)))
            << QString(name) << QString(kind) << QString(parent) << int(place) << QString(reference);
    };
    const char *panel = "scrollAreaWidgetContents_3";
    row("label_41", "QLabel", panel, Indented, "layoutWidget");
    row("toolButton_settings", "QToolButton", panel, Below, "label_41");
    row("toolButton_settings", "QToolButton", panel, SameRight, "layoutWidget");
    row("layoutWidget", "QWidget", panel, Below, "toolButton_settings");
    row("toolButton_readModemParams", "QToolButton", panel, Below, "layoutWidget");
    row("toolButton_readModemParams", "QToolButton", panel, CentredUnder, "layoutWidget");
    // A column: each below the one before, left edges in line, as wide.
    auto stacked = [&](const char *kind, const char *parent, std::initializer_list<const char *> names) {
        for (auto above = names.begin(), w = above + 1; w != names.end(); ++above, ++w) {
            for (Place place : {Below, SameLeft, SameWidth})
                row(*w, kind, parent, place, *above);
        }
    };
    // A row: the second right of the first, tops level.
    auto beside = [&](const char *parent, Place place, const char *left, const char *right) {
        row(right, "QGroupBox", parent, place, left);
        row(right, "QGroupBox", parent, SameTop, left);
    };
    stacked("QToolButton", panel,
            {"toolButton_readModemParams", "toolButton_writeModemParams", "toolButton_saveToFile",
             "toolButton_loadFromFile"});
    // Each page scrolls its contents when the window is narrower or lower than they are.
    const char *sim = "scrollAreaWidgetContents_sim", *interfaces = "scrollAreaWidgetContents_interface",
               *url = "scrollAreaWidgetContents_url";
    row("comboBox_prioritySim", "QComboBox", sim, RightOf, "label_52");
    row("comboBox_prioritySim", "QComboBox", sim, SameMiddle, "label_52");
    row("groupBox_4", "QGroupBox", sim, Below, "comboBox_prioritySim");
    row("label_52", "QLabel", sim, Indented, "groupBox_4");
    beside(sim, RightOf, "groupBox_4", "groupBox_5");
    beside(interfaces, Touching, "groupBox_rs232", "groupBox_rs485");
    beside(interfaces, Touching, "groupBox_rs485", "groupBox_can");
    beside(url, RightOf, "groupBox_URL", "groupBox_client_server");
    stacked(
        "QGroupBox", url,
        {"groupBox_client_server", "groupBox_portModeServer", "groupBox_timeout", "groupBox_rebootInterval"});
    for (const char *spin : {"spinBox_portModeServer", "spinBox_timeout", "spinBox_rebootInterval"})
        row(spin, "QSpinBox", qPrintable(QString(spin).replace("spinBox", "groupBox")), CentredInside,
            qPrintable(QString(spin).replace("spinBox", "groupBox")));
}

void TestEditorForm::arrangement()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, parent);
    QFETCH(int, place);
    QFETCH(QString, reference);
    QWidget *w = form->widget(name);
    QWidget *ref = form->widget(reference);
    QVERIFY(w && ref);
    QCOMPARE(QString(w->metaObject()->className()), kind);
    QCOMPARE(w->parentWidget()->objectName(), parent);
    form->showTabOf(w);
    QVERIFY2(arrangement::holds(arrangement::Place(place), w, ref),
             qPrintable(arrangement::describe(w, ref)));
}

// Where the layouts keep the given offset from the page's corner.
void TestEditorForm::keptPlaces()
{
    const QVector<QPair<const char *, QPoint>> places{{"label_52", {200, 20}},
                                                      {"groupBox_rs232", {0, 20}},
                                                      {"groupBox_csdConnection", {20, 30}},
                                                      {"groupBox_numbersOfControlSettings", {20, 30}},
                                                      {"groupBox_URL", {20, 20}}};
    for (const auto &place : places) {
        QWidget *w = form->widget(place.first);
        form->showTabOf(w);
        QVERIFY2(w->pos() == place.second, place.first);
    }
}

void TestEditorForm::gridCells_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("layout");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    auto row = [](const QString &name, const char *kind, const char *layout, int r, int c) {
        QTest::newRow(qPrintable(name)) << name << QString(kind) << QString(layout) << r << c;
    };
    const char *info[][2] = {{"label_38", "lineEdit_modemModel"},   {"label_35", "lineEdit_IMEILevel"},
                             {"label_39", "lineEdit_operator"},     {"label_37", "lineEdit_signalLevel"},
                             {"label_40", "lineEdit_controllerPO"}, {"label_29", "lineEdit_GSMModulePO"}};
    for (int r = 0; r < 6; ++r) {
        row(info[r][0], "QLabel", "gridLayout_11", r, 0);
        row(info[r][1], "QLineEdit", "gridLayout_11", r, 1);
    }
    row("label_16", "QLabel", "gridLayout_9", 0, 0);
    row("textBrowser", "QTextBrowser", "gridLayout_9", 1, 0);

    const char *sim[2][12] = {
        {"radioButton_settingModeArmSIM1", "radioButton_settingModeAutomatSIM1", "label_50",
         "comboBox_sim1Mode", "label", "lineEdit_pinSIM1", "label_2", "lineEdit_userNameGPRSSIM1", "label_3",
         "lineEdit_passwordGPRSSIM1", "label_4", "lineEdit_pointAPNGPRSSIM1"},
        {"radioButton_settingModeArmtSIM2", "radioButton_settingModeAutomatSIM2", "label_51",
         "comboBox_sim2Mode", "label_22", "lineEdit_pinSIM2", "label_23", "lineEdit_userNameGPRSSIM2",
         "label_24", "lineEdit_passwordGPRSSIM2", "label_25", "lineEdit_pointAPNGPRSSIM2"}};
    const char *simGrid[2] = {"gridLayout_5", "gridLayout_6"};
    for (int s = 0; s < 2; ++s) {
        for (int i = 0; i < 12; ++i) {
            const char *kind =
                i < 2 ? "QRadioButton" : (i % 2 == 0 ? "QLabel" : (i == 3 ? "QComboBox" : "QLineEdit"));
            row(sim[s][i], kind, simGrid[s], i / 2, i % 2);
        }
    }

    const char *iface[3][11] = {{"radioButton_comActive", "label_6", "comboBox_rs232BaudRate", "label_7",
                                 "comboBox_rs232DataBits", "label_8", "comboBox_rs232Parity", "label_9",
                                 "comboBox_rs232StopBits", "label_10", "comboBox_dataControlRs232"},
                                {"radioButton_rsActive", "label_27", "comboBox_rs485BaudRate", "label_26",
                                 "comboBox_rs485DataBits", "label_30", "comboBox_rs485Parity", "label_28",
                                 "comboBox_rs485StopBits", "label_31", "comboBox_flowControlRs485"},
                                {"radioButton_canActive", "label_33", "comboBox_canBaudRate", "label_32",
                                 "comboBox_canDataBits", "label_36", "comboBox_canParity", "label_34",
                                 "comboBox_canStopBits", "label_5", nullptr}};
    const char *ifaceGrid[3] = {"gridLayout_3", "gridLayout", "gridLayout_2"};
    for (int g = 0; g < 3; ++g) {
        row(iface[g][0], "QRadioButton", ifaceGrid[g], 0, 0);
        for (int i = 1; i < 11 && iface[g][i]; ++i)
            row(iface[g][i], i % 2 ? "QLabel" : "QComboBox", ifaceGrid[g], (i + 1) / 2, i % 2 ? 0 : 1);
    }

    const char *csdLabels[] = {"label_11", "label_12", "label_13", "label_14", "label_15"};
    const char *adminLabels[] = {"label_21", "label_18", "label_19", "label_20", "label_17"};
    for (int r = 0; r < 5; ++r) {
        row(csdLabels[r], "QLabel", "gridLayout_8", r, 0);
        row(QString("lineEdit_csdNumber%1").arg(r + 1), "QLineEdit", "gridLayout_8", r, 1);
        row(adminLabels[r], "QLabel", "gridLayout_7", r, 0);
        row(QString("lineEdit_controlNumber%1").arg(r + 1), "QLineEdit", "gridLayout_7", r, 1);
    }

    row("label_49", "QLabel", "gridLayout_10", 0, 1);
    row("label_47", "QLabel", "gridLayout_10", 0, 2);
    row("label_48", "QLabel", "gridLayout_10", 0, 3);
    for (int r = 1; r <= 5; ++r) {
        row(QString("label_%1").arg(41 + r), "QLabel", "gridLayout_10", r, 0);
        row(QString("lineEdit_url%1").arg(r), "QLineEdit", "gridLayout_10", r, 1);
        row(QString("spinBox_portUrl%1").arg(r), "QSpinBox", "gridLayout_10", r, 2);
        row(QString("spinBox_intervalUrl%1").arg(r), "QSpinBox", "gridLayout_10", r, 3);
    }
    row("radioButton_client", "QRadioButton", "gridLayout_12", 0, 0);
    row("radioButton_server", "QRadioButton", "gridLayout_12", 1, 0);
}

void TestEditorForm::gridCells()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, layout);
    QFETCH(int, row);
    QFETCH(int, column);
    QWidget *w = form->widget(name);
    QVERIFY(w);
    QCOMPARE(QString(w->metaObject()->className()), kind);
    auto *grid = qobject_cast<QGridLayout *>(w->parentWidget()->layout());
    QVERIFY(grid);
    QCOMPARE(grid->objectName(), layout);
    int r, c, rs, cs;
    grid->getItemPosition(grid->indexOf(w), &r, &c, &rs, &cs);
    QCOMPARE(r, row);
    QCOMPARE(c, column);
}

void TestEditorForm::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    auto row = [](const QString &name, const char *text) {
        QTest::newRow(qPrintable(name)) << name << QString::fromUtf8(text);
    };
    row("toolButton_debugConsole", "Отладочная консоль");
    row("toolButton_manufacturParams", "Заводские параметры");
    row("toolButton_readBuffer", "Прочитать входной буфер");
    row("toolButton_parameterAnalyze", "Разобрать параметры");
    row("toolButton", "Послать команду модему");
    row("toolButton_2", "Очистить");
    row("label_41", "Заводские параметры");
    row("toolButton_settings", "Настройки");
    row("toolButton_readModemParams", "Прочитать параметры из модема");
    row("toolButton_writeModemParams", "Записать параметры в модем");
    row("toolButton_saveToFile", "Сохранить параметры в файл");
    row("toolButton_loadFromFile", "Загрузить параметры из файла");
    row("label_38", "Модель модема");
    row("label_35", "IMEI");
    row("label_39", "Оператор");
    row("label_37", "Уровень сигнала");
    row("label_40", "ПО Контроллера");
    row("label_29", "ПО Модуля GSM");
    row("label_16", "Отладочная консоль");
    row("label_52", "Приоритет");
    row("groupBox_4", "SIM1");
    row("groupBox_5", "SIM2");
    for (const char *name : {"radioButton_settingModeArmSIM1", "radioButton_settingModeArmtSIM2"})
        row(name, "Ручной ");
    for (const char *name : {"radioButton_settingModeAutomatSIM1", "radioButton_settingModeAutomatSIM2"})
        row(name, "Автомат");
    for (const char *name : {"label_50", "label_51"})
        row(name, "Режим");
    for (const char *name : {"label", "label_22"})
        row(name, "Пин-код SIM карты");
    for (const char *name : {"label_2", "label_23"})
        row(name, "Имя пользователя GPRS");
    for (const char *name : {"label_3", "label_24"})
        row(name, "Пароль GPRS");
    for (const char *name : {"label_4", "label_25"})
        row(name, "Точка доступа APN GPRS");
    row("groupBox_rs232", "RS232");
    row("groupBox_rs485", "RS485");
    row("groupBox_can", "CAN");
    for (const char *name : {"radioButton_comActive", "radioButton_rsActive", "radioButton_canActive"})
        row(name, "Активен");
    for (const char *name : {"label_6", "label_27", "label_33"})
        row(name, "Скорость порта");
    for (const char *name : {"label_7", "label_26", "label_32"})
        row(name, "Биты данных");
    for (const char *name : {"label_8", "label_30", "label_36"})
        row(name, "Проверка на чётность");
    for (const char *name : {"label_9", "label_28", "label_34"})
        row(name, "Стоповые биты");
    row("label_10", "Управление потоком");
    row("label_31", "");
    row("label_5", "");
    row("groupBox_csdConnection", "Номера CSD соединения");
    row("groupBox_numbersOfControlSettings", "Номера управления настройками");
    const char *csdLabels[] = {"label_11", "label_12", "label_13", "label_14", "label_15"};
    const char *adminLabels[] = {"label_21", "label_18", "label_19", "label_20", "label_17"};
    const char *urlLabels[] = {"label_42", "label_43", "label_44", "label_45", "label_46"};
    const char *numbers[] = {"1.", "2.", "3.", "4.", "5."};
    for (int i = 0; i < 5; ++i) {
        row(csdLabels[i], numbers[i]);
        row(adminLabels[i], numbers[i]);
        row(urlLabels[i], numbers[i]);
    }
    row("groupBox_URL", "");
    row("label_49", "URL");
    row("label_47", "Порт");
    row("label_48", "Инт., мин.");
    row("groupBox_client_server", "Клиент/Сервер");
    row("radioButton_client", "Клиент");
    row("radioButton_server", "Сервер");
    // The first letter is the Latin C.
    row("groupBox_portModeServer", "Порт(режим: \x43"
                                   "ервер)");
    row("groupBox_timeout", "Таймаут");
    row("groupBox_rebootInterval", "Инт. принуд. перезагр.");
}

void TestEditorForm::texts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QWidget *w = form->widget(name);
    QVERIFY(w);
    QString shown;
    if (auto *label = qobject_cast<QLabel *>(w))
        shown = label->text();
    else if (auto *button = qobject_cast<QAbstractButton *>(w))
        shown = button->text();
    else if (auto *box = qobject_cast<QGroupBox *>(w))
        shown = box->title();
    else
        QFAIL("widget without a text");
    QCOMPARE(shown, text);
    if (name == "groupBox_portModeServer")
        QCOMPARE(shown.at(12).unicode(), ushort('C'));
}

void TestEditorForm::layoutsSpacingAndMargins()
{
    QStringList names;
    for (QGridLayout *grid : form->window->findChildren<QGridLayout *>()) {
        names << grid->objectName();
        QCOMPARE(grid->spacing(), 6);
        const int margin = grid->objectName() == "gridLayout_11" ? 0 : 11;
        QCOMPARE(grid->contentsMargins(), QMargins(margin, margin, margin, margin));
    }
    names.sort();
    QStringList expected{"gridLayout",   "gridLayout_2",  "gridLayout_3",  "gridLayout_4",
                         "gridLayout_5", "gridLayout_6",  "gridLayout_7",  "gridLayout_8",
                         "gridLayout_9", "gridLayout_10", "gridLayout_11", "gridLayout_12"};
    expected.sort();
    QCOMPARE(names, expected);
}

void TestEditorForm::comboItems_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("items");
    for (const char *prefix : {"rs232", "rs485", "can"}) {
        QTest::newRow(qPrintable(QString("%1 baud").arg(prefix)))
            << QString("comboBox_%1BaudRate").arg(prefix) << records::baudRateList();
        QTest::newRow(qPrintable(QString("%1 data bits").arg(prefix)))
            << QString("comboBox_%1DataBits").arg(prefix) << records::dataBitsList();
        QTest::newRow(qPrintable(QString("%1 parity").arg(prefix)))
            << QString("comboBox_%1Parity").arg(prefix) << QStringList{"None", "Even", "Odd"};
        QTest::newRow(qPrintable(QString("%1 stop bits").arg(prefix)))
            << QString("comboBox_%1StopBits").arg(prefix) << QStringList{"1", "2"};
    }
    QTest::newRow("RS232 flow control") << "comboBox_dataControlRs232" << QStringList{"0", "1"};
    QTest::newRow("RS485 flow control") << "comboBox_flowControlRs485" << QStringList{"0", "1"};
    const QStringList simModes{QString::fromUtf8("Не установлена"), QString::fromUtf8("Авто"),
                               QString::fromUtf8("Ручной")};
    QTest::newRow("SIM1 mode") << "comboBox_sim1Mode" << simModes;
    QTest::newRow("SIM2 mode") << "comboBox_sim2Mode" << simModes;
    QTest::newRow("priority") << "comboBox_prioritySim" << QStringList{"SIM1", "SIM2"};
    QTest::newRow("port list, filled by the search") << "comboBox_portList" << QStringList{};
}

void TestEditorForm::comboItems()
{
    QFETCH(QString, name);
    QFETCH(QStringList, items);
    auto *box = form->widget<QComboBox>(name);
    QVERIFY(box);
    QStringList shown;
    for (int i = 0; i < box->count(); ++i)
        shown << box->itemText(i);
    QCOMPARE(shown, items);
    QVERIFY(!box->isEditable());
    QCOMPARE(box->currentIndex(), items.isEmpty() ? -1 : 0);
}

void TestEditorForm::startValues_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown");
    for (const char *prefix : {"rs232", "rs485", "can"}) {
        QTest::newRow(qPrintable(QString("%1 baud").arg(prefix)))
            << QString("comboBox_%1BaudRate").arg(prefix) << "300";
        QTest::newRow(qPrintable(QString("%1 bits").arg(prefix)))
            << QString("comboBox_%1DataBits").arg(prefix) << "7";
        QTest::newRow(qPrintable(QString("%1 parity").arg(prefix)))
            << QString("comboBox_%1Parity").arg(prefix) << "None";
        QTest::newRow(qPrintable(QString("%1 stop").arg(prefix)))
            << QString("comboBox_%1StopBits").arg(prefix) << "1";
    }
    QTest::newRow("RS232 flow control") << "comboBox_dataControlRs232"
                                        << "0";
    QTest::newRow("SIM1 mode") << "comboBox_sim1Mode" << QString::fromUtf8("Не установлена");
    QTest::newRow("SIM2 mode") << "comboBox_sim2Mode" << QString::fromUtf8("Не установлена");
    QTest::newRow("priority") << "comboBox_prioritySim"
                              << "SIM1";
    QTest::newRow("PIN 1") << "lineEdit_pinSIM1"
                           << "3759";
    QTest::newRow("PIN 2") << "lineEdit_pinSIM2"
                           << "3759";
    for (int s = 1; s <= 2; ++s) {
        for (const char *field : {"userNameGPRSSIM", "passwordGPRSSIM", "pointAPNGPRSSIM"}) {
            const QString name = QString("lineEdit_%1%2").arg(field).arg(s);
            QTest::newRow(qPrintable(name)) << name << "";
        }
    }
    for (int i = 1; i <= 5; ++i) {
        for (const char *pattern : {"lineEdit_csdNumber%1", "lineEdit_controlNumber%1", "lineEdit_url%1"}) {
            const QString name = QString(pattern).arg(i);
            QTest::newRow(qPrintable(name)) << name << "";
        }
        QTest::newRow(qPrintable(QString("port %1").arg(i))) << QString("spinBox_portUrl%1").arg(i) << "1";
        QTest::newRow(qPrintable(QString("interval %1").arg(i)))
            << QString("spinBox_intervalUrl%1").arg(i) << "0";
    }
    QTest::newRow("server port") << "spinBox_portModeServer"
                                 << "1";
    QTest::newRow("time-out") << "spinBox_timeout"
                              << "1";
    QTest::newRow("reboot interval") << "spinBox_rebootInterval"
                                     << "1";
}

void TestEditorForm::startValues()
{
    QFETCH(QString, name);
    QFETCH(QString, shown);
    QWidget *w = form->widget(name);
    QVERIFY(w);
    if (auto *box = qobject_cast<QComboBox *>(w))
        QCOMPARE(box->currentText(), shown);
    else if (auto *edit = qobject_cast<QLineEdit *>(w))
        QCOMPARE(edit->text(), shown);
    else if (auto *spin = qobject_cast<QSpinBox *>(w))
        QCOMPARE(spin->text(), shown);
    else
        QFAIL("unexpected widget kind");
}

void TestEditorForm::lengthLimits_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("limit");
    for (int i = 1; i <= 5; ++i) {
        QTest::newRow(qPrintable(QString("csd %1").arg(i))) << QString("lineEdit_csdNumber%1").arg(i) << 12;
        QTest::newRow(qPrintable(QString("admin %1").arg(i)))
            << QString("lineEdit_controlNumber%1").arg(i) << 12;
    }
    for (int s = 1; s <= 2; ++s) {
        QTest::newRow(qPrintable(QString("PIN %1").arg(s))) << QString("lineEdit_pinSIM%1").arg(s) << 4;
        for (const char *field : {"userNameGPRSSIM", "passwordGPRSSIM", "pointAPNGPRSSIM"}) {
            const QString name = QString("lineEdit_%1%2").arg(field).arg(s);
            QTest::newRow(qPrintable(name)) << name << 32;
        }
    }
}

void TestEditorForm::lengthLimits()
{
    QFETCH(QString, name);
    QFETCH(int, limit);
    auto *edit = form->widget<QLineEdit>(name);
    QVERIFY(edit);
    QCOMPARE(edit->maxLength(), limit);
    const QString typed = QString("0123456789abcdefghijklmnopqrstuvwxyz").left(limit + 3);
    typeOver(edit, typed);
    QCOMPARE(edit->text(), typed.left(limit));
}

void TestEditorForm::spinRanges_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    for (int i = 1; i <= 5; ++i) {
        QTest::newRow(qPrintable(QString("port %1").arg(i)))
            << QString("spinBox_portUrl%1").arg(i) << 1 << 65535;
        QTest::newRow(qPrintable(QString("interval %1").arg(i)))
            << QString("spinBox_intervalUrl%1").arg(i) << 0 << 1440;
    }
    QTest::newRow("server port") << "spinBox_portModeServer" << 1 << 65535;
    QTest::newRow("time-out") << "spinBox_timeout" << 1 << 60;
    QTest::newRow("reboot interval") << "spinBox_rebootInterval" << 1 << 168;
}

void TestEditorForm::spinRanges()
{
    QFETCH(QString, name);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    auto *spin = form->widget<QSpinBox>(name);
    QVERIFY(spin);
    QCOMPARE(spin->minimum(), minimum);
    QCOMPARE(spin->maximum(), maximum);
    spin->setEnabled(true); // the server port is disabled in client mode
    spin->setValue(maximum);
    QTest::keyClick(spin, Qt::Key_Up);
    QCOMPARE(spin->value(), maximum);
    spin->setValue(minimum);
    QTest::keyClick(spin, Qt::Key_Down);
    QCOMPARE(spin->value(), minimum);
    spin->setValue(maximum + 1000);
    QCOMPARE(spin->value(), maximum);
}

void TestEditorForm::noOtherLimits()
{
    // The command line takes any command, separators included, of any length.
    auto *command = form->widget<QLineEdit>("lineEdit_commandToModem");
    QCOMPARE(command->maxLength(), 32767);
    QVERIFY(!command->validator());
    QVERIFY(command->inputMask().isEmpty());
    QTest::keyClicks(command, "SETCOM=9600,8,N,1,0;");
    QCOMPARE(command->text(), QString("SETCOM=9600,8,N,1,0;"));
    // Passwords are shown in clear.
    for (const char *name : {"lineEdit_passwordGPRSSIM1", "lineEdit_passwordGPRSSIM2"})
        QCOMPARE(form->widget<QLineEdit>(name)->echoMode(), QLineEdit::Normal);
    for (QLineEdit *edit : form->window->findChildren<QLineEdit *>())
        QVERIFY2(edit->inputMask().isEmpty(), qPrintable(edit->objectName()));
}

void TestEditorForm::hiddenAndDisabled()
{
    form->window->show();
    QVERIFY(QTest::qWaitForWindowExposed(form->window.get()));
    const QStringList hidden{"toolButton_debugConsole",
                             "comboBox_portList",
                             "toolButton_manufacturParams",
                             "toolButton_readBuffer",
                             "lineEdit_paramsString",
                             "toolButton_parameterAnalyze",
                             "textBrowser_debug",
                             "toolButton_2",
                             "comboBox_flowControlRs485",
                             "radioButton_settingModeArmSIM1",
                             "radioButton_settingModeArmtSIM2",
                             "radioButton_settingModeAutomatSIM1",
                             "radioButton_settingModeAutomatSIM2"};
    for (const QString &name : hidden)
        QVERIFY2(form->widget(name)->isHidden(), qPrintable(name));
    for (const char *name :
         {"lineEdit_commandToModem", "toolButton", "scrollArea", "tabWidget", "scrollArea_2", "textBrowser",
          "toolButton_settings", "toolButton_readModemParams", "toolButton_writeModemParams",
          "toolButton_saveToFile", "toolButton_loadFromFile"})
        QVERIFY2(form->widget(name)->isVisible(), name);

    // Neither RS485 nor CAN shows a flow-control control; the SIM mode buttons are off as well.
    for (const char *name :
         {"comboBox_flowControlRs485", "radioButton_settingModeArmSIM1", "radioButton_settingModeArmtSIM2",
          "radioButton_settingModeAutomatSIM1", "radioButton_settingModeAutomatSIM2"})
        QVERIFY2(!form->widget(name)->isEnabled(), name);
    QCOMPARE(form->widget<QGroupBox>("groupBox_can")->findChildren<QComboBox *>().size(), 4);

    // The identity fields only show what the modem said, but legibly, and the text can be copied.
    QApplication::setActiveWindow(form->window.get());
    for (const char *name : {"lineEdit_modemModel", "lineEdit_IMEILevel", "lineEdit_operator",
                             "lineEdit_signalLevel", "lineEdit_controllerPO", "lineEdit_GSMModulePO"}) {
        auto *edit = form->widget<QLineEdit>(name);
        QVERIFY2(edit->isEnabled() && edit->isReadOnly(), name);
        edit->setText("867530912345678");
        QTest::keyClicks(edit, "typed");
        QCOMPARE(edit->text(), QString("867530912345678"));
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QString("867530912345678"));
        QApplication::clipboard()->clear();
    }
    QVERIFY(!form->widget("groupBox_portModeServer")->isEnabled());
    QVERIFY(form->widget("groupBox_timeout")->isEnabled());
    QVERIFY(form->widget<QRadioButton>("radioButton_client")->isChecked());
    QVERIFY(!form->widget<QRadioButton>("radioButton_server")->isChecked());
    for (const char *name : {"radioButton_comActive", "radioButton_rsActive", "radioButton_canActive"})
        QVERIFY2(!form->widget<QRadioButton>(name)->isChecked(), name);
}

void TestEditorForm::sizes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QSize>("maximum");
    const int q = QWIDGETSIZE_MAX;
    QTest::newRow("read buffer") << "toolButton_readBuffer" << QSize(150, 0) << QSize(q, q);
    QTest::newRow("analyze") << "toolButton_parameterAnalyze" << QSize(140, 0) << QSize(q, q);
    // The tabs' pages scroll, so the tabs may be narrow and low enough for the window to fit a 1024 x 600
    // screen; the panel's and the debug area's minimum follow the desktop's font (tst_textfit checks them
    // at the window's smallest size).
    QTest::newRow("tabs") << "tabWidget" << QSize(0, 0) << QSize(q, q);
    QTest::newRow("debug browser") << "textBrowser_debug" << QSize(0, 0) << QSize(10, q);
    // The groups and labels grow with their texts instead of cutting them.
    for (const char *name :
         {"label_16", "label_10", "label_47", "label_48", "groupBox_4", "groupBox_5", "label_4", "label_25",
          "groupBox_rs232", "groupBox_rs485", "groupBox_can", "label_8", "label_30", "label_36"})
        QTest::newRow(name) << name << QSize(0, 0) << QSize(q, q);
    for (const char *name : {"label_31", "label_5"})
        QTest::newRow(name) << name << QSize(0, 0) << QSize(q, 15);
    QTest::newRow("URL box") << "groupBox_URL" << QSize(500, 0) << QSize(500, q);
    // At least the given 60 px, wider where the longest value needs it.
    for (int i = 1; i <= 5; ++i) {
        for (const char *pattern : {"spinBox_portUrl%1", "spinBox_intervalUrl%1"}) {
            const QString name = QString(pattern).arg(i);
            QTest::newRow(qPrintable(name)) << name << QSize(60, 0) << QSize(q, q);
        }
    }
}

void TestEditorForm::sizes()
{
    QFETCH(QString, name);
    QFETCH(QSize, minimum);
    QFETCH(QSize, maximum);
    QWidget *w = form->widget(name);
    QVERIFY(w);
    // A spin box's given width is a least one: where the font needs more for its longest value it has more.
    if (qobject_cast<QSpinBox *>(w))
        QVERIFY2(w->minimumWidth() >= minimum.width() && w->minimumHeight() == minimum.height(),
                 qPrintable(QString("%1x%2").arg(w->minimumWidth()).arg(w->minimumHeight())));
    else
        QCOMPARE(w->minimumSize(), minimum);
    QCOMPARE(w->maximumSize(), maximum);
}

// The column headings, the flow-control label and the debug area's title stay one line of text high, as their
// former maximum height of 15 meant, without cutting that line.
void TestEditorForm::oneLineLabels()
{
    for (const char *name : {"label_10", "label_16", "label_47", "label_48"}) {
        QWidget *w = form->widget(name);
        form->showTabOf(w);
        QCOMPARE(w->height(), w->sizeHint().height());
    }
}

void TestEditorForm::fonts()
{
    QStringList tenPoint{"label",
                         "label_2",
                         "textBrowser",
                         "tabWidget",
                         "groupBox_rs232",
                         "groupBox_rs485",
                         "groupBox_can",
                         "groupBox_4",
                         "groupBox_5",
                         "groupBox_csdConnection",
                         "groupBox_numbersOfControlSettings",
                         "groupBox_URL",
                         "toolButton",
                         "toolButton_2",
                         "toolButton_readModemParams",
                         "toolButton_writeModemParams",
                         "toolButton_settings",
                         "toolButton_loadFromFile",
                         "toolButton_saveToFile",
                         "lineEdit_commandToModem",
                         "lineEdit_signalLevel",
                         "lineEdit_operator",
                         "lineEdit_modemModel",
                         "lineEdit_IMEILevel",
                         "lineEdit_GSMModulePO",
                         "lineEdit_controllerPO"};
    for (int n = 4; n <= 46; ++n)
        tenPoint << QString("label_%1").arg(n);
    for (QComboBox *box : form->widget("tab_interface")->findChildren<QComboBox *>())
        tenPoint << box->objectName();
    QCOMPARE(form->widget("tab_interface")->findChildren<QComboBox *>().size(), 14);

    // Exactly these carry a font of their own; everything else inherits it.
    for (QWidget *w : form->window->findChildren<QWidget *>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith("qt_"))
            continue;
        const bool listed = tenPoint.contains(w->objectName());
        QVERIFY2(w->testAttribute(Qt::WA_SetFont) == listed, qPrintable(w->objectName()));
        if (listed) {
            QCOMPARE(w->font().pointSize(), 10);
            QCOMPARE(w->font().family(), QFont().family());
        }
    }
}

VELON_TEST_MAIN(TestEditorForm)
#include "tst_editorform.moc"
