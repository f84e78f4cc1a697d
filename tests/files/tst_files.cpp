#include "app/mainwindow.h"
#include "debuglines.h"
#include "filesizelimit.h"
#include "history/comparewindow.h"
#include "link/portlist.h"
#include "messageboxwatcher.h"
#include "settings/formsettings.h"
#include "startuprecords.h"
#include "testmain.h"
#include "testutil.h"
#include "typing.h"

#include "link/serialport.h"
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>

#include <memory>

#include <sys/stat.h>

// The 26 keys in the order of the file's lines.
static QStringList fileKeys()
{
    QStringList keys;
    for (const QString &record : freshWindowRecords())
        keys << record.section('=', 0, 0);
    return keys;
}

// A complete set that passes the validation, in the file's order.
static const QStringList plainSet{"SETCOM=9600,8,N,1,0;",
                                  "SETRS=19200,8,E,1,0;",
                                  "SETCAN=115200,8,N,1,0;",
                                  "SETSIM1=1234,gdata,gdata,internet;",
                                  "SETSIM2=0000,,,;",
                                  "ADMTEL1=+79001234567;",
                                  "ADMTEL2=;",
                                  "ADMTEL3=;",
                                  "ADMTEL4=;",
                                  "ADMTEL5=;",
                                  "CSDTEL1=89001112233;",
                                  "CSDTEL2=;",
                                  "CSDTEL3=;",
                                  "CSDTEL4=;",
                                  "CSDTEL5=;",
                                  "SETURL1=example.org,8080,10;",
                                  "SETURL2=,1,0;",
                                  "SETURL3=,1,0;",
                                  "SETURL4=,1,0;",
                                  "SETURL5=,1,0;",
                                  "SETCONF=1,0,0,1,0,0;",
                                  "SETID=0,;",
                                  "SETLOG=0;",
                                  "SETCSD=7,0,1;",
                                  "PASSET=KVR38;",
                                  "SERVER=0,502,30,24;"};

// Another one that differs from the start-up values in every key the dialog owns, with Cyrillic text.
static QStringList otherSet()
{
    return {"SETCOM=115200,8,O,2,1;",
            "SETRS=9600,7,E,1,0;",
            "SETCAN=38400,9,N,2,0;",
            QString::fromUtf8("SETSIM1=4321,пользователь,пароль,internet;"),
            "SETSIM2=0000,,,;",
            "ADMTEL1=+79001234567;",
            "ADMTEL2=+79007654321;",
            "ADMTEL3=;",
            "ADMTEL4=;",
            "ADMTEL5=112;",
            "CSDTEL1=89001112233;",
            "CSDTEL2=;",
            "CSDTEL3=;",
            "CSDTEL4=;",
            "CSDTEL5=;",
            "SETURL1=example.org,8080,10;",
            "SETURL2=10.0.0.1,502,1440;",
            "SETURL3=,1,0;",
            "SETURL4=,1,0;",
            "SETURL5=,1,0;",
            "SETCONF=1,2,1,1,0,1;",
            "SETID=1,DEV42;",
            "SETLOG=1;",
            "SETCSD=71,0,1;",
            "PASSET=abc1234;",
            "SERVER=1,502,30,24;"};
}

static QByteArray linesOf(const QStringList &records)
{
    return (records.join('\n') + '\n').toUtf8();
}

// One random edit of a window through its real widgets and its settings window, as an engineer would make
// it: typing, pasting, clearing, stepping, choosing, clicking. Returns what it did, for the failure message.
static QString randomEdit(MainWindow *window, QRandomGenerator &random)
{
    static const QStringList pieces{"a", "Z", "0", "7", " ", ",", ";",  "=",
                                    ".", "+", "-", "ж", "Ё", "é", "中", "😀"};
    static const QStringList numbers{"5", "60", "+5", "007", "0", "65535", "99999", "1", "1440", "-3", "12"};
    auto text = [&](bool withLineBreaks) {
        QString t;
        for (int n = random.bounded(withLineBreaks ? 40 : 12); n > 0; --n)
            t += withLineBreaks && random.bounded(8) == 0 ? QString("\n")
                                                          : pieces.at(random.bounded(pieces.size()));
        return t;
    };
    // What the engineer can reach, on the main window and in the settings window.
    QList<QWidget *> lines, spins, combos, buttons;
    for (QWidget *top : {static_cast<QWidget *>(window), static_cast<QWidget *>(window->settingsWindow())}) {
        for (QWidget *w : top->findChildren<QWidget *>()) {
            if (w->isHidden() || !w->isEnabled())
                continue;
            if (auto *e = qobject_cast<QLineEdit *>(w); e && e->validator() && !e->isReadOnly())
                lines << w;
            else if (qobject_cast<QSpinBox *>(w))
                spins << w;
            else if (qobject_cast<QComboBox *>(w))
                combos << w;
            else if (qobject_cast<QRadioButton *>(w))
                buttons << w;
        }
    }
    // The settings password decides most refusals: it gets its own share of the edits.
    const QList<QWidget *> password{window->settingsWindow()->findChild<QLineEdit *>("lineEdit_password")};
    const int kind = random.bounded(8);
    const QList<QWidget *> &from = kind < 3    ? lines
                                   : kind < 5  ? spins
                                   : kind == 5 ? combos
                                   : kind == 6 ? buttons
                                               : password;
    QWidget *w = from.at(random.bounded(from.size()));
    QString t;
    switch (kind) {
    case 0:
        typeOver(w, t = text(false));
        break;
    case 1:
        QApplication::clipboard()->setText(t = text(true));
        QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier);
        break;
    case 2:
        static_cast<QLineEdit *>(w)->selectAll();
        QTest::keyClick(w, Qt::Key_Backspace);
        break;
    case 3:
        typeOver(w, t = numbers.at(random.bounded(numbers.size())));
        if (random.bounded(2) == 0)
            QTest::keyClick(w, Qt::Key_Return);
        break;
    case 4:
        QTest::keyClick(w, random.bounded(2) == 0 ? Qt::Key_Up : Qt::Key_Down);
        break;
    case 5:
        static_cast<QComboBox *>(w)->setCurrentIndex(random.bounded(static_cast<QComboBox *>(w)->count()));
        break;
    case 6:
        static_cast<QRadioButton *>(w)->click();
        break;
    default:
        typeOver(w, t = text(false).left(random.bounded(9)));
        break;
    }
    static const char *what[] = {"type", "paste", "clear", "type", "step", "choose", "click", "type"};
    return QString("%1 \"%2\" in %3").arg(what[kind], t, w->objectName());
}

class TestFiles : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindow> window;
    std::unique_ptr<QTemporaryDir> dir;
    QString saveAnswer, openAnswer;
    int saveAsked = 0, openAsked = 0;

    QString path(const QString &name) const { return dir->filePath(name); }
    void writeFile(const QString &name, const QByteArray &bytes) const
    {
        QVERIFY(writeBytes(path(name), bytes));
    }
    QByteArray readFile(const QString &name) const { return readBytes(path(name)); }
    QStringList heldRecords() const
    {
        QStringList result;
        for (const QString &key : fileKeys())
            result.append(window->recordText(key));
        return result;
    }
    void save(const QString &name)
    {
        saveAnswer = name.isEmpty() ? QString() : path(name);
        window->findChild<QToolButton *>("toolButton_saveToFile")->click();
    }
    void load(const QString &name)
    {
        openAnswer = name.isEmpty() ? QString() : path(name);
        window->findChild<QToolButton *>("toolButton_loadFromFile")->click();
    }
    // The one message shown: an information box of the main window, without title, with one OK button.
    void checkWindowMessage(const MessageBoxWatcher &watcher, const QString &text) const
    {
        QCOMPARE(watcher.texts(), QStringList{text});
        const MessageBoxWatcher::Box &box = watcher.boxes().first();
        QCOMPARE(box.parent.data(), static_cast<QWidget *>(window.get()));
        QCOMPARE(box.title, QString());
        QCOMPARE(box.icon, QMessageBox::Information);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
    template <typename T> T *settingsWidget(const char *name) const
    {
        return window->settingsWindow()->findChild<T *>(name);
    }

    void makeWindow()
    {
        window.reset();
        portlist::setProvider([] { return QStringList{}; });
        {
            MessageBoxWatcher watcher;
            window = std::make_unique<MainWindow>();
        }
        saveAsked = openAsked = 0;
        files::FileDialogs dialogs;
        dialogs.saveFileName = [this](QWidget *parent, const QString &, const QString &, const QString &) {
            ++saveAsked;
            return parent == window.get() ? saveAnswer : QString();
        };
        dialogs.openFileName = [this](QWidget *parent, const QString &, const QString &, const QString &) {
            ++openAsked;
            return parent == window.get() ? openAnswer : QString();
        };
        window->setFileDialogs(dialogs);
    }

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        makeWindow();
    }
    void cleanup()
    {
        window.reset();
        dir.reset();
    }

    void saveAfterStartUp()
    {
        MessageBoxWatcher watcher;
        save("start.txt");
        QCOMPARE(saveAsked, 1);
        QCOMPARE(readFile("start.txt"), linesOf(freshWindowRecords()));
        QVERIFY(watcher.boxes().isEmpty());
    }

    // However a file lays its records out, loading it leaves the main window with the same records, and
    // saving then gives the set's 26 lines in their fixed order.
    void layoutsLoadAlike_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("set");
        QTest::addColumn<QStringList>("messages");
        const QStringList none;
        QTest::newRow("saved layout") << linesOf(plainSet) << plainSet << none;
        QTest::newRow("one line") << plainSet.join(QString()).toUtf8() << plainSet << none;
        QStringList reversed = plainSet;
        std::reverse(reversed.begin(), reversed.end());
        QTest::newRow("other order") << linesOf(reversed) << plainSet << none;
        QTest::newRow("CR LF") << (plainSet.join("\r\n") + "\r\n").toUtf8() << plainSet << none;
        QTest::newRow("record broken over two lines") << linesOf(plainSet)
                                                             .replace("SETURL1=example", "SETURL1=exam\nple")
                                                             .replace("SERVER=0,", "SERVER=\r\n0,")
                                                      << plainSet << none;
        QTest::newRow("empty lines between")
            << ("\n\n" + plainSet.join("\n\n\n") + "\n\n").toUtf8() << plainSet << none;
        QTest::newRow("other set") << linesOf(otherSet()) << otherSet() << none;
        QTest::newRow("other set, one line") << otherSet().join(QString()).toUtf8() << otherSet() << none;
        // A UTF-8 set with one line added by a Windows-1251 tool: each line read in its own encoding.
        QStringList mixed = otherSet();
        mixed[4] = QString::fromUtf8("SETSIM2=0000,имя,,;");
        QTest::newRow("UTF-8 with one Windows-1251 line")
            << linesOf(otherSet()).replace("SETSIM2=0000,,,;", "SETSIM2=0000,\xe8\xec\xff,,;") << mixed
            << none;
        // The byte-order mark goes before the encoding is chosen, so SETCOM is still found.
        QStringList marked = otherSet();
        marked[9] = QString::fromUtf8("ADMTEL5=112я;");
        QTest::newRow("byte-order mark and one bad byte")
            << "\xef\xbb\xbf" + linesOf(otherSet()).replace("ADMTEL5=112;", "ADMTEL5=112\xff;") << marked
            << none;
        // Characters the modem cannot take: said once, naming the keys, and the form holds "?".
        QStringList replaced = otherSet();
        replaced[3] = QString::fromUtf8("SETSIM1=4321,пользователь,пароль,caf?;");
        replaced[15] = "SETURL1=?.example,8080,10;";
        QTest::newRow("characters the modem cannot take")
            << linesOf(otherSet())
                   .replace("internet;", "caf\xc3\xa9;")
                   .replace("example.org", "\xe4\xb8\xad.example")
            << replaced
            << QStringList{"Символы, которые модем не принимает, заменены на «?»: SETSIM1, SETURL1"};
    }
    void layoutsLoadAlike()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, set);
        QFETCH(QStringList, messages);
        writeFile("in.txt", file);
        MessageBoxWatcher watcher;
        load("in.txt");
        QCOMPARE(openAsked, 1);
        QCOMPARE(watcher.texts(), messages);
        QCOMPARE(window->parsedParams().size(), 26);
        QCOMPARE(heldRecords(), set);
        save("out.txt");
        QCOMPARE(readFile("out.txt"), linesOf(set));
    }

    void saveLoadSaveGivesTheSameBytes()
    {
        writeFile("in.txt", otherSet().join(QString()).toUtf8());
        MessageBoxWatcher watcher;
        load("in.txt");
        save("first.txt");
        QCOMPARE(watcher.texts(), QStringList{});
        // A fresh window, so that nothing but the file can carry the values over.
        makeWindow();
        watcher.clear();
        load("first.txt");
        save("second.txt");
        QCOMPARE(watcher.texts(), QStringList{});
        QCOMPARE(readFile("second.txt"), readFile("first.txt"));
        QCOMPARE(readFile("second.txt"), linesOf(otherSet()));
    }

    void loadFillsTheSettingsWindow()
    {
        writeFile("in.txt", linesOf(otherSet()));
        MessageBoxWatcher watcher;
        load("in.txt");
        QVERIFY(settingsWidget<QRadioButton>("radioButton_identitySwitch")->isChecked());
        QCOMPARE(settingsWidget<QLineEdit>("lineEdit_identityLine")->text(), QString("DEV42"));
        QVERIFY(settingsWidget<QRadioButton>("radioButton_sendLogFile")->isChecked());
        QCOMPARE(settingsWidget<QComboBox>("comboBox_CSD")->currentText(), QString("71,0,1"));
        QCOMPARE(settingsWidget<QLineEdit>("lineEdit_password")->text(), QString("abc1234"));
    }

    void cyrillicSurvives()
    {
        writeFile("in.txt", linesOf(otherSet()));
        MessageBoxWatcher watcher;
        load("in.txt");
        QCOMPARE(window->findChild<QLineEdit *>("lineEdit_userNameGPRSSIM1")->text(),
                 QString::fromUtf8("пользователь"));
        save("out.txt");
        const QByteArray saved = readFile("out.txt");
        QVERIFY(saved.startsWith("SETCOM=")); // no byte-order mark
        QVERIFY(
            saved.contains("SETSIM1=4321,\xd0\xbf\xd0\xbe\xd0\xbb\xd1\x8c\xd0\xb7\xd0\xbe\xd0\xb2\xd0\xb0\xd1"
                           "\x82\xd0\xb5\xd0\xbb\xd1\x8c,"));
    }

    void loadWithNoPortOpen()
    {
        QVERIFY(!window->serialPort()->isOpen());
        writeFile("in.txt", linesOf(plainSet));
        MessageBoxWatcher watcher;
        load("in.txt");
        QVERIFY(!window->serialPort()->isOpen());
        QCOMPARE(watcher.texts(), QStringList{});
        QCOMPARE(heldRecords(), plainSet);
    }

    void fileWithNothingInIt_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("empty lines") << QByteArray("\n\n\n\n");
        QTest::newRow("empty CR LF lines") << QByteArray("\r\n\r\n");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("NUL first") << QByteArray("\0SETCOM=9600,8,N,1,0;\n", 23);
    }
    void fileWithNothingInIt()
    {
        QFETCH(QByteArray, file);
        writeFile("set.txt", linesOf(plainSet));
        writeFile("empty.txt", file);
        MessageBoxWatcher watcher;
        load("set.txt");
        const QStringList before = heldRecords();
        const QMap<QString, QString> parsedBefore = window->parsedParams();
        load("empty.txt");
        checkWindowMessage(watcher, "Ошибка чтения данных");
        QVERIFY(!QTest::currentTestFailed());
        QCOMPARE(heldRecords(), before);
        QCOMPARE(window->parsedParams(), parsedBefore);
    }

    void fileWithoutSetcom()
    {
        QStringList set = plainSet;
        set.removeFirst();
        writeFile("in.txt", linesOf(set));
        MessageBoxWatcher watcher;
        load("in.txt");
        QCOMPARE(watcher.texts(), QStringList{"Отсутствует параметр SETCOM"});
        QCOMPARE(heldRecords(), freshWindowRecords());
        QCOMPARE(window->parsedParams().size(), 25);
    }

    void fileWithoutSetconf()
    {
        QStringList set = otherSet();
        set.removeAt(fileKeys().indexOf("SETCONF"));
        writeFile("in.txt", linesOf(set));
        MessageBoxWatcher watcher;
        load("in.txt");
        QCOMPARE(watcher.texts(), QStringList{"Отсутствует параметр SETCONF"});
        const int setconf = fileKeys().indexOf("SETCONF");
        QCOMPARE(heldRecords().mid(0, setconf), otherSet().mid(0, setconf));
        QCOMPARE(heldRecords().mid(setconf), freshWindowRecords().mid(setconf));
        QVERIFY(!settingsWidget<QRadioButton>("radioButton_identitySwitch")->isChecked());
        QCOMPARE(settingsWidget<QLineEdit>("lineEdit_password")->text(), QString());
    }

    // "Сравнить…" → "С файлом…" on the very file the form was loaded from finds nothing: the file is taken as
    // a fresh window takes it (velon-cli diff's taking), an interval of 5 lifted to 10, an over-long number
    // cut.
    void comparisonWithTheLoadedFileFindsNothing()
    {
        QStringList set = plainSet;
        set[fileKeys().indexOf("SETURL1")] = "SETURL1=example.org,8080,5;";
        set[fileKeys().indexOf("ADMTEL1")] = "ADMTEL1=+7900123456789;";
        writeFile("lifted.txt", linesOf(set));
        MessageBoxWatcher watcher;
        load("lifted.txt");
        QCOMPARE(watcher.texts(), QStringList{"Неверная длина параметра ADMTEL1"});
        QCOMPARE(window->recordText("SETURL1"), QString("SETURL1=example.org,8080,10;"));
        window->findChild<QAction *>("action_compare")->trigger();
        openAnswer = path("lifted.txt");
        window->compareWindow()->findChild<QPushButton *>("pushButton_withFile")->click();
        QCOMPARE(window->compareWindow()->findChild<QLabel *>("label_count")->text(),
                 QString("Различаются параметров: 0"));
    }

    void fileThatCannotBeOpened_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("name");
        QTest::newRow("load a missing file") << "load"
                                             << "missing.txt";
        QTest::newRow("load a directory") << "load"
                                          << "sub";
        // Nothing waits for a writer that never comes, and a device holds no set.
        QTest::newRow("load a FIFO") << "load"
                                     << "x.txt";
        QTest::newRow("load a device") << "load"
                                       << "null.txt";
        QTest::newRow("save into a missing directory") << "save"
                                                       << "missing/set.txt";
        QTest::newRow("save over a directory") << "save"
                                               << "sub.txt";
    }
    void fileThatCannotBeOpened()
    {
        QFETCH(QString, action);
        QFETCH(QString, name);
        QVERIFY(QDir(dir->path()).mkdir("sub"));
        QVERIFY(QDir(dir->path()).mkdir("sub.txt"));
        QCOMPARE(mkfifo(QFile::encodeName(path("x.txt")).constData(), 0600), 0);
        QVERIFY(QFile::link("/dev/null", path("null.txt")));
        const QStringList before = heldRecords();
        MessageBoxWatcher watcher;
        if (action == "load")
            load(name);
        else
            save(name);
        QCOMPARE(watcher.texts(), QStringList{"Не удалось открыть файл"});
        const MessageBoxWatcher::Box &box = watcher.boxes().first();
        QVERIFY(!box.hadParent);
        QCOMPARE(box.title, QString());
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(heldRecords(), before);
        QVERIFY(window->parsedParams().isEmpty());
        QCOMPARE(QDir(dir->path())
                     .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden),
                 (QStringList{"null.txt", "sub", "sub.txt", "x.txt"}));
        QVERIFY(QDir(path("sub")).isEmpty());
        QVERIFY(QDir(path("sub.txt")).isEmpty());
    }

    void failedSaveKeepsTheOldFile()
    {
        const QByteArray old = linesOf(plainSet);
        writeFile("set.txt", old);
        MessageBoxWatcher watcher;
        {
            // Room for less than the new file, as on a full disk.
            FileSizeLimit limit(64);
            QVERIFY(limit.isActive());
            save("set.txt");
        }
        QCOMPARE(watcher.texts(), QStringList{"Не удалось сохранить файл"});
        const MessageBoxWatcher::Box &box = watcher.boxes().first();
        QVERIFY(!box.hadParent);
        QCOMPARE(box.title, QString());
        QCOMPARE(readFile("set.txt"), old);
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"set.txt"});
    }

    void saveReplacesAnOlderFile()
    {
        writeFile("set.txt", linesOf(otherSet()) + QByteArray(1000, '#'));
        MessageBoxWatcher watcher;
        save("set.txt");
        QVERIFY(watcher.boxes().isEmpty());
        QCOMPARE(readFile("set.txt"), linesOf(freshWindowRecords()));
    }

    void fileSizeLimit_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("filling"); // what takes the file to its size: lines, records or an APN
        QTest::newRow("exactly 1 MiB") << qint64(1024 * 1024) << false << "lines";
        QTest::newRow("one byte more") << qint64(1024 * 1024 + 1) << true << "lines";
        QTest::newRow("200 MB") << qint64(200) * 1000 * 1000 << true << "lines";
        QTest::newRow("1 MiB of short records") << qint64(1024 * 1024) << false << "records";
        QTest::newRow("1 MiB with one long APN") << qint64(1024 * 1024) << false << "APN";
    }
    void fileSizeLimit()
    {
        // A set padded with empty lines, thousands of records of unknown keys, or one APN; the big one is
        // sparse, so the test costs no disk.
        QFETCH(qint64, size);
        QFETCH(bool, refused);
        QFETCH(QString, filling);
        QStringList set = plainSet;
        QByteArray content = linesOf(set);
        if (filling == "records") {
            for (int n = 0; content.size() < size - 20; ++n)
                content += QByteArray("K") + QByteArray::number(n) + "=1;\n";
        } else if (filling == "APN") {
            content.replace("internet;", QByteArray(int(size - content.size() + 9) - 1, 'a') + ';');
            set[3] = "SETSIM1=1234,gdata,gdata," + QString(32, 'a') + ";";
        }
        writeFile("big.txt", content);
        {
            QFile f(path("big.txt"));
            if (size <= 2 * 1024 * 1024) {
                QVERIFY(f.open(QIODevice::Append));
                if (f.size() < size)
                    QVERIFY(f.write(QByteArray(int(size - f.size()), '\n')) > 0);
            } else {
                QVERIFY(f.resize(size));
            }
        }
        QCOMPARE(QFileInfo(path("big.txt")).size(), size);
        MessageBoxWatcher watcher;
        DebugLines debug;
        load("big.txt");
        if (!refused) {
            // The APN warns that it is cut to its field.
            QCOMPARE(watcher.texts(),
                     filling == "APN" ? QStringList{"Неверная длина параметра SETSIM1"} : QStringList{});
            QCOMPARE(heldRecords(), set);
        } else {
            checkWindowMessage(watcher, "Файл больше 1 МБ: это не файл параметров");
            QVERIFY(!QTest::currentTestFailed());
            QCOMPARE(heldRecords(), freshWindowRecords());
            QVERIFY(window->parsedParams().isEmpty());
        }
        // The file's content reaches the debug output only as short excerpts, from the file, the parser and
        // the checks alike, and a file of thousands of keys is no line each.
        for (const QString &line : debug.lines)
            QVERIFY2(line.size() < 700, qPrintable(QString::number(line.size()) + ": " + line.left(100)));
        QVERIFY2(debug.lines.size() < 500, qPrintable(QString::number(debug.lines.size())));
    }

    void saveOrWriteThatWouldNotLoadBack()
    {
        // The load refuses a password of other than 4 to 7 characters and keeps the old one: the save says
        // so, asks for no file and writes nothing; the write says so before it touches the port (this
        // window has none, which would be the next message). Once the password is right, it saves.
        writeFile("set.txt", linesOf(plainSet));
        auto *line = settingsWidget<QLineEdit>("lineEdit_password");
        typeOver(line, "x");
        QTest::keyClick(line, Qt::Key_Backspace);
        QCOMPARE(window->recordText("PASSET"), QString("PASSET=;"));
        MessageBoxWatcher watcher;
        save("set.txt");
        checkWindowMessage(watcher, "Недопустимая длина пароля");
        QVERIFY(!QTest::currentTestFailed());
        QCOMPARE(saveAsked, 0);
        QCOMPARE(readFile("set.txt"), linesOf(plainSet));
        watcher.clear();
        window->findChild<QToolButton *>("toolButton_writeModemParams")->click();
        checkWindowMessage(watcher, "Недопустимая длина пароля");
        QVERIFY(!QTest::currentTestFailed());
        typeText(line, "wxyz");
        watcher.clear();
        save("set.txt");
        QCOMPARE(watcher.texts(), QStringList{});
        QVERIFY(readFile("set.txt").contains("PASSET=wxyz;\n"));
    }

    // Whatever the engineer does to the form, a save either says why it cannot be loaded back and leaves
    // the file alone, or writes a file that a fresh window loads silently and saves to the same bytes.
    void randomEditsSaveWhatLoadsBack()
    {
        const quint32 seed = qEnvironmentVariableIsSet("VELON_SEED")
                                 ? quint32(qEnvironmentVariableIntValue("VELON_SEED"))
                                 : 11u;
        qInfo("seed %u (replay with VELON_SEED=%u)", seed, seed);
        QRandomGenerator random(seed);
        QLoggingCategory::setFilterRules("default.debug=false");
        const QByteArray before("not yet saved\n");
        int saved = 0, refused = 0;
        for (int run = 0; run < 300; ++run) {
            makeWindow();
            QStringList edits;
            for (int n = 1 + random.bounded(8); n > 0; --n)
                edits << randomEdit(window.get(), random);
            const QString what = QString("run %1: %2").arg(run).arg(edits.join("; "));
            writeFile("set.txt", before);
            MessageBoxWatcher watcher;
            save("set.txt");
            if (!watcher.boxes().isEmpty()) {
                QVERIFY2(watcher.boxes().size() == 1, qPrintable(what));
                QVERIFY2(readFile("set.txt") == before, qPrintable(what));
                ++refused;
                continue;
            }
            const QByteArray first = readFile("set.txt");
            makeWindow();
            watcher.clear(); // the new window's search said there is no port
            load("set.txt");
            save("again.txt");
            QVERIFY2(watcher.boxes().isEmpty(), qPrintable(what + " gave " + watcher.texts().join(" | ")));
            QVERIFY2(readFile("again.txt") == first,
                     qPrintable(what + "\n" + first + "\n" + readFile("again.txt")));
            ++saved;
        }
        QLoggingCategory::setFilterRules(QString());
        qInfo("%d saves loaded back, %d refused", saved, refused);
        QVERIFY(saved >= 100 && refused >= 10);
    }

    // Whatever the name chosen, the file ends in ".txt" (any case), so the dialogs' "*.txt" filter shows it.
    void savedNamesEndInTxt_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("saved");
        QTest::newRow("date in the name")
            << QString::fromUtf8("объект 12.03.2024") << QString::fromUtf8("объект 12.03.2024.txt");
        QTest::newRow("version in the name") << "v1.2 final"
                                             << "v1.2 final.txt";
        QTest::newRow("trailing dot") << "set."
                                      << "set.txt";
        QTest::newRow("other suffix") << "set.csv"
                                      << "set.csv.txt";
        QTest::newRow("already .txt") << "set.txt"
                                      << "set.txt";
        QTest::newRow("capital .TXT") << "SET.TXT"
                                      << "SET.TXT";
    }
    void savedNamesEndInTxt()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, saved);
        MessageBoxWatcher watcher;
        save(chosen);
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{saved});
        QCOMPARE(readFile(saved), linesOf(freshWindowRecords()));
        QVERIFY2(window->findChild<QLabel *>("label_status")->text().contains("сохранены в файл " + saved),
                 qPrintable(window->findChild<QLabel *>("label_status")->text()));
    }

    void cancelledDialogsChangeNothing()
    {
        writeFile("set.txt", linesOf(plainSet));
        MessageBoxWatcher watcher;
        save(QString());
        load(QString());
        QCOMPARE(saveAsked, 1);
        QCOMPARE(openAsked, 1);
        QVERIFY(watcher.boxes().isEmpty());
        QCOMPARE(heldRecords(), freshWindowRecords());
        QVERIFY(window->parsedParams().isEmpty());
        QCOMPARE(readFile("set.txt"), linesOf(plainSet));
    }
};

VELON_TEST_MAIN(TestFiles)
#include "tst_files.moc"
