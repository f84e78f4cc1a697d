#include "app/mainwindow.h"
#include "link/portlist.h"
#include "messageboxwatcher.h"
#include "testmain.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QToolButton>

#include <memory>

// Answers the toolkit's own file dialog as a user would: picks a file and accepts, or cancels; a dialog
// shown again gets the next answer (the last one stays).
class FileDialogDriver : public QObject
{
public:
    struct Seen
    {
        QString title;
        QStringList filters;
        QString directory;
        QWidget *parent = nullptr;
        QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
        bool modal = false;
        QString defaultSuffix;
    };

    explicit FileDialogDriver(const QString &answer) : FileDialogDriver(QStringList{answer}) {}
    explicit FileDialogDriver(const QStringList &answers) : answers(answers)
    {
        timer.setInterval(10);
        connect(&timer, &QTimer::timeout, this, &FileDialogDriver::poll);
        timer.start();
    }
    QVector<Seen> seen;

private:
    void poll()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *dialog = qobject_cast<QFileDialog *>(w);
            if (!dialog || !dialog->isVisible())
                continue;
            if (!dialog->property("driven").toBool()) {
                dialog->setProperty("driven", true);
                dialog->installEventFilter(this);
                seen.append({dialog->windowTitle(), dialog->nameFilters(), dialog->directory().absolutePath(),
                             dialog->parentWidget(), dialog->acceptMode(), dialog->isModal(),
                             dialog->defaultSuffix()});
                answer = answers.size() > 1 ? answers.takeFirst() : answers.value(0);
            }
            if (answer.isEmpty()) {
                dialog->reject();
                continue;
            }
            // Typed into the name field, as a user would; tried again on the next poll while the dialog's
            // file model is still busy and the dialog stays open.
            auto *nameEdit = dialog->findChild<QLineEdit *>("fileNameEdit");
            if (nameEdit)
                nameEdit->setText(answer);
            else
                dialog->selectFile(answer);
            static_cast<QDialog *>(dialog)->accept(); // as the dialog's own button does
        }
    }

    // A dialog that hides is answered anew when it shows again.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Hide) {
            watched->setProperty("driven", false);
            watched->removeEventFilter(this);
        }
        return false;
    }

    QStringList answers;
    QString answer;
    QTimer timer;
};

class TestFileDialogs : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindow> window;
    std::unique_ptr<QTemporaryDir> tempDir;
    // Qt's file dialog keeps its history in a settings file whose place Qt fixes at its first use; kept here
    // for the whole run, it is not written into a test's home after that home is gone.
    QTemporaryDir dialogSettings;
    QString previousDir;
    QByteArray previousHome, previousConfig;

    QString dirPath() const { return tempDir->path(); }
    QString documents() const { return tempDir->filePath("home/Documents"); }
    QString filePath(const QString &name) const { return tempDir->filePath(name); }

    void click(const char *button) { window->findChild<QToolButton *>(button)->click(); }
    // Where the next save and open dialogs start (both cancelled).
    QStringList nextStarts()
    {
        FileDialogDriver cancel{QString()};
        click("toolButton_saveToFile");
        click("toolButton_loadFromFile");
        return {cancel.seen.value(0).directory, cancel.seen.value(1).directory};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dialogSettings.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dialogSettings.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dialogSettings.path());
    }
    void init()
    {
        // The working directory (an installed program's own, unwritable) is not where the dialogs start: the
        // user's documents are, in a home of the test's own.
        tempDir = std::make_unique<QTemporaryDir>();
        previousDir = QDir::currentPath();
        QVERIFY(QDir(dirPath()).mkpath("cwd"));
        QVERIFY(QDir(dirPath()).mkpath("home/Documents"));
        QVERIFY(QDir::setCurrent(filePath("cwd")));
        previousHome = qgetenv("HOME");
        previousConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", filePath("home").toUtf8());
        qunsetenv("XDG_CONFIG_HOME");
        portlist::setProvider([] { return QStringList{}; });
        MessageBoxWatcher watcher;
        window = std::make_unique<MainWindow>();
        window->show();
    }
    void cleanup()
    {
        window.reset();
        QDir::setCurrent(previousDir);
        qputenv("HOME", previousHome);
        if (!previousConfig.isNull())
            qputenv("XDG_CONFIG_HOME", previousConfig);
        tempDir.reset();
    }

    void saveDialog()
    {
        {
            // Typed without ".txt", saved with it, so that the open dialog's filter shows the file.
            const QString path = filePath("saved.txt");
            FileDialogDriver driver(filePath("saved"));
            MessageBoxWatcher watcher;
            click("toolButton_saveToFile");
            QCOMPARE(driver.seen.size(), 1);
            const FileDialogDriver::Seen &seen = driver.seen.first();
            QCOMPARE(seen.title, QString("Save File"));
            QCOMPARE(seen.filters, QStringList{"Текст (*.txt)"});
            QCOMPARE(seen.defaultSuffix, QString("txt"));
            QCOMPARE(seen.directory, documents());
            QCOMPARE(seen.parent, static_cast<QWidget *>(window.get()));
            QCOMPARE(seen.mode, QFileDialog::AcceptSave);
            QVERIFY(seen.modal);
            QVERIFY(watcher.boxes().isEmpty());
            QFile saved(path);
            QVERIFY(saved.open(QIODevice::ReadOnly));
            QCOMPARE(saved.readAll().count('\n'), 26);
        }
        QCOMPARE(nextStarts(), (QStringList{dirPath(), dirPath()}));
    }

    // "v1.2 final" typed where "v1.2 final.txt" exists: the dialog asks about the name it was given, the
    // window about the name ".txt" makes of it. "Отмена" goes back to the dialog, "Заменить" replaces.
    void replaceQuestionForTheNameWithTxt()
    {
        const QString path = filePath("v1.2 final.txt");
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old\n") == 4);
        }
        const auto contents = [&] {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        const QString question = "Файл «v1.2 final.txt» уже существует. Заменить его?";
        {
            FileDialogDriver driver(QStringList{filePath("v1.2 final"), QString()});
            MessageBoxWatcher watcher;
            watcher.answerWith("Отмена");
            click("toolButton_saveToFile");
            QCOMPARE(driver.seen.size(), 2);
            QCOMPARE(watcher.texts(), QStringList{question});
            QStringList buttons = watcher.boxes().first().buttonTexts;
            buttons.sort();
            QCOMPARE(buttons, (QStringList{"Заменить", "Отмена"}));
            QCOMPARE(contents(), QByteArray("old\n"));
        }
        {
            FileDialogDriver driver(filePath("v1.2 final"));
            MessageBoxWatcher watcher;
            watcher.answerWith("Заменить");
            click("toolButton_saveToFile");
            QCOMPARE(driver.seen.size(), 1);
            QCOMPARE(watcher.texts(), QStringList{question});
            QCOMPARE(contents().count('\n'), 26);
        }
    }

    void openDialog()
    {
        const QString path = filePath("set.txt");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("SETLOG=1;\n");
        }
        {
            FileDialogDriver driver(path);
            MessageBoxWatcher watcher;
            click("toolButton_loadFromFile");
            QCOMPARE(driver.seen.size(), 1);
            const FileDialogDriver::Seen &seen = driver.seen.first();
            QVERIFY(!seen.title.isEmpty());
            QCOMPARE(seen.filters, QStringList{"Текст (*.txt)"});
            QCOMPARE(seen.directory, documents());
            QCOMPARE(seen.parent, static_cast<QWidget *>(window.get()));
            QCOMPARE(seen.mode, QFileDialog::AcceptOpen);
            QVERIFY(seen.modal);
            // The chosen file reached the parser.
            QCOMPARE(window->parsedParams().value("SETLOG"), QString("1"));
        }

        // Both dialogs now start where that file was.
        QCOMPARE(nextStarts(), (QStringList{dirPath(), dirPath()}));
    }

    void withoutDocumentsTheHome()
    {
        QVERIFY(QDir(documents()).removeRecursively());
        QCOMPARE(nextStarts(), (QStringList{filePath("home"), filePath("home")}));
    }

    void cancellingChangesNothing_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("save") << "toolButton_saveToFile";
        QTest::newRow("load") << "toolButton_loadFromFile";
    }
    void cancellingChangesNothing()
    {
        QFETCH(QString, button);
        QStringList before;
        for (const char *key : {"SETCOM", "SETID", "PASSET", "SERVER"})
            before << window->recordText(key);
        FileDialogDriver driver{QString()};
        MessageBoxWatcher watcher;
        click(button.toLatin1().constData());
        QCOMPARE(driver.seen.size(), 1);
        QVERIFY(watcher.boxes().isEmpty());
        QCOMPARE(QDir(dirPath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{"cwd", "home"}));
        QVERIFY(QDir(filePath("cwd")).isEmpty());
        QVERIFY(QDir(documents()).isEmpty());
        QStringList after;
        for (const char *key : {"SETCOM", "SETID", "PASSET", "SERVER"})
            after << window->recordText(key);
        QCOMPARE(after, before);
        QVERIFY(window->parsedParams().isEmpty());
    }
};

VELON_TEST_MAIN(TestFileDialogs)
#include "tst_filedialogs.moc"
