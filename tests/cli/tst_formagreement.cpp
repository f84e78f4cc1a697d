// The window, the form's rules without widgets (formrecords) and velon-cli agree on what a set becomes:
// generated sets, valid and with every kind of refusal and adjustment, are loaded into the real window
// and saved, checked by velon-cli, and read by velon-cli from a simulated modem.

#include "clirun.h"
#include "setgen.h"
#include "simfixture.h"
#include "testmain.h"

#include "app/mainwindow.h"
#include "files/paramfile.h"
#include "params/formrecords.h"
#include "params/loadback.h"

#include <QTemporaryDir>

namespace {

QMap<QString, QString> parse(const QByteArray &fileBytes)
{
    return records::toParamsMap(records::splitRecords(paramfile::setBytes(fileBytes)));
}

QByteArray fileOf(const QStringList &lines)
{
    return paramfile::fileBytes(lines);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What velon-cli says and writes for a set loaded into a fresh window.
struct Expected
{
    int status;
    QStringList messages;
    QByteArray file; // empty when refused
};

Expected expectedFromFresh(const QMap<QString, QString> &params)
{
    const formrecords::Outcome outcome = formrecords::apply(formrecords::startup(), params);
    if (!outcome.refusal.isEmpty())
        return {1, outcome.messages, QByteArray()};
    return {0, outcome.messages, fileOf(outcome.form.recordTexts)};
}

} // namespace

class TestFormAgreement : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        seed = qEnvironmentVariableIsSet("VELON_SEED") ? quint32(qEnvironmentVariableIntValue("VELON_SEED"))
                                                       : QRandomGenerator::global()->generate();
        qInfo("seed %u (rerun with VELON_SEED=%u)", seed, seed);
        QVERIFY(dir.isValid());
    }

    // One window takes set after set, as an engineer's does: each load starts from what the last one left.
    void windowSavesWhatTheRulesSay()
    {
        SimFixture f;
        MainWindow *window = f.startWindow();
        QCOMPARE(window->heldRecordTexts(), formrecords::startup().recordTexts);
        const QString setPath = dir.filePath("set.txt");
        const QString savedPath = dir.filePath("saved.txt");
        files::FileDialogs dialogs;
        dialogs.openFileName = [&](QWidget *, const QString &, const QString &, const QString &) {
            return setPath;
        };
        dialogs.saveFileName = [&](QWidget *, const QString &, const QString &, const QString &) {
            return savedPath;
        };
        window->setFileDialogs(dialogs);

        setgen::Generator generator(seed);
        formrecords::Form form = formrecords::startup();
        int stopped = 0, refused = 0, warned = 0, cliRuns = 0;
        for (int i = 0; i < 300; ++i) {
            const QByteArray bytes = fileOf(generator.records());
            writeFile(setPath, bytes);
            const formrecords::Outcome outcome = formrecords::apply(form, parse(bytes));
            form = outcome.form;
            stopped += outcome.stopped;
            refused += !outcome.refusal.isEmpty();
            warned += outcome.messages.size() > (outcome.stopped ? 1 : 0);

            f.boxes().clear();
            QMetaObject::invokeMethod(window, "on_toolButton_loadFromFile_clicked");
            const QString context =
                QString("set %1 of seed %2:\n%3").arg(i).arg(seed).arg(QString::fromUtf8(bytes));
            QVERIFY2(f.boxes().texts() == outcome.messages, qPrintable(context));
            QVERIFY2(window->heldRecordTexts() == form.recordTexts, qPrintable(context));

            f.boxes().clear();
            QFile::remove(savedPath);
            QMetaObject::invokeMethod(window, "on_toolButton_saveToFile_clicked");
            const QString blocking = loadback::blockingMessage(form.recordTexts);
            if (blocking.isEmpty()) {
                QVERIFY2(f.boxes().texts().isEmpty(), qPrintable(context));
                QVERIFY2(readFile(savedPath) == fileOf(form.recordTexts), qPrintable(context));
            } else {
                QVERIFY2(f.boxes().texts() == QStringList{blocking}, qPrintable(context));
            }

            // velon-cli starts from a fresh window each time.
            if (i % 3 == 0) {
                ++cliRuns;
                const Expected expected = expectedFromFresh(parse(bytes));
                QFile::remove(savedPath);
                const CliRun run = runCli({"check", setPath, "--out", savedPath});
                QVERIFY2(run.status == expected.status, qPrintable(context + run.err));
                QVERIFY2(run.errLines() == expected.messages, qPrintable(context + run.err));
                QVERIFY2(run.out.isEmpty(), qPrintable(context));
                QVERIFY2(readFile(savedPath) == expected.file, qPrintable(context));
            }
        }
        qInfo("300 sets: %d stopped, %d kept a previous value or stopped, %d with warnings; %d checked by "
              "velon-cli",
              stopped, refused, warned, cliRuns);
        // The generator reaches every kind often enough for the comparison to mean something.
        QVERIFY(stopped >= 10 && refused > stopped && warned >= 30);
    }

    // velon-cli read gives a simulated modem's set as the file the window would save after the read.
    void cliReadSavesWhatTheRulesSay()
    {
        SimFixture f;
        setgen::Generator generator(seed ^ 0x5a5a5a5a);
        for (int i = 0; i < 8; ++i) {
            sim::SimModem *modem = f.addModem();
            const QByteArray bytes = fileOf(generator.records());
            modem->setReadAllReply(paramfile::setBytes(bytes));
            const Expected expected = expectedFromFresh(parse(bytes));
            const CliRun run = runCli({"read", "--port", modem->slavePath()});
            const QString context = QString::fromUtf8(bytes + run.err);
            QVERIFY2(run.status == expected.status, qPrintable(context));
            QVERIFY2(run.errLines() == expected.messages, qPrintable(context));
            QVERIFY2(run.out == expected.file, qPrintable(context));
        }
    }

private:
    quint32 seed = 0;
    QTemporaryDir dir;
};

VELON_TEST_MAIN(TestFormAgreement)
#include "tst_formagreement.moc"
