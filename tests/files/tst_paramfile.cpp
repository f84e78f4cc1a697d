#include "files/paramfile.h"
#include "files/safename.h"
#include "filesizelimit.h"
#include "history/historystore.h"
#include "params/linecodec.h"
#include "readonlyfolder.h"
#include "testmain.h"
#include "testutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextCodec>

// The text in UTF-16 of the given byte order, after its byte-order mark.
static QByteArray utf16(const char *order, const QString &text)
{
    const QByteArray mark = QByteArray(order) == "UTF-16LE" ? "\xff\xfe" : "\xfe\xff";
    return mark + QTextCodec::codecForName(order)->fromUnicode(text);
}

class TestParamFile : public QObject
{
    Q_OBJECT

private slots:
    void fileBytes()
    {
        // One line per record, an empty record an empty line, UTF-8 without a byte-order mark.
        const QByteArray bytes =
            paramfile::fileBytes({"SETLOG=0;", "", QString::fromUtf8("SETSIM1=1234,ёж,,;"), "PASSET=KVR38;"});
        QCOMPARE(bytes, QByteArray("SETLOG=0;\n\nSETSIM1=1234,\xd1\x91\xd0\xb6,,;\nPASSET=KVR38;\n"));
        QCOMPARE(paramfile::fileBytes({}), QByteArray());
    }

    void parserInput_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("parserInput");
        QTest::newRow("LF") << QByteArray("SETLOG=0;\nSETCSD=7,0,1;\n")
                            << QByteArray("SETLOG=0;SETCSD=7,0,1;");
        QTest::newRow("CR LF") << QByteArray("SETLOG=0;\r\nSETCSD=7,0,1;\r\n")
                               << QByteArray("SETLOG=0;SETCSD=7,0,1;");
        QTest::newRow("broken record") << QByteArray("SETCSD=7,\n0,1;\n") << QByteArray("SETCSD=7,0,1;");
        QTest::newRow("byte-order mark") << QByteArray("\xef\xbb\xbfSETLOG=0;\n") << QByteArray("SETLOG=0;");
        QTest::newRow("NUL ends the content")
            << QByteArray("SETLOG=0;\n\0SETCSD=7,0,1;\n", 24) << QByteArray("SETLOG=0;");
        QTest::newRow("Cyrillic in the line codec")
            << QByteArray("SETSIM1=1,\xd1\x91\xd0\xb6,,;\n") << QByteArray("SETSIM1=1,\xb8\xe6,,;");
        QTest::newRow("spaces kept") << QByteArray(" SETLOG=0;\n") << QByteArray(" SETLOG=0;");
        QTest::newRow("empty lines") << QByteArray("\n\n\n") << QByteArray();
        QTest::newRow("empty CR LF lines") << QByteArray("\r\n\r\n") << QByteArray();
        QTest::newRow("empty file") << QByteArray() << QByteArray();
        QTest::newRow("NUL first") << QByteArray("\0SETLOG=0;\n", 11) << QByteArray();
        // Sets written by older tools: Windows-1251, or UTF-16 with its byte-order mark.
        QTest::newRow("Windows-1251, not valid UTF-8")
            << QByteArray("SETSIM1=1,\xb8\xe6,,;\r\n") << QByteArray("SETSIM1=1,\xb8\xe6,,;");
        // Only the lines that are not UTF-8 are Windows-1251; the byte-order mark goes first.
        QTest::newRow("UTF-8 with one Windows-1251 line")
            << QByteArray("SETSIM1=1,\xd1\x91\xd0\xb6,,;\nSETSIM2=1,\xb8\xe6,,;\n")
            << QByteArray("SETSIM1=1,\xb8\xe6,,;SETSIM2=1,\xb8\xe6,,;");
        QTest::newRow("byte-order mark and one bad byte")
            << QByteArray("\xef\xbb\xbfSETLOG=0;\r\nSETID=1,\xd0\xb6\xff;\r\n")
            << QByteArray("SETLOG=0;SETID=1,\xd0\xb6\xff;");
        QTest::newRow("UTF-8 cut inside a character")
            << QByteArray("SETLOG=0;\xd0") << QByteArray("SETLOG=0;\xd0");
        QTest::newRow("UTF-16LE") << utf16("UTF-16LE", QString::fromUtf8("SETSIM1=1,ёж,,;\r\nSETLOG=0;\r\n"))
                                  << QByteArray("SETSIM1=1,\xb8\xe6,,;SETLOG=0;");
        QTest::newRow("UTF-16BE") << utf16("UTF-16BE", QString::fromUtf8("SETSIM1=1,ёж,,;\n"))
                                  << QByteArray("SETSIM1=1,\xb8\xe6,,;");
        QTest::newRow("UTF-16, NUL ends the content")
            << utf16("UTF-16LE", QString("SETLOG=0;\n") + QChar(0) + "SETCSD=7,0,1;")
            << QByteArray("SETLOG=0;");
    }
    void parserInput()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, parserInput);
        QCOMPARE(linecodec::encode(paramfile::withoutLineBreaks(paramfile::fileText(file))), parserInput);
    }

    void historyKeepsTheNewestSetsOfEachModem()
    {
        QTemporaryDir root;
        const QDateTime start(QDate(2026, 3, 12), QTime(9, 0));
        const QStringList set{"SETLOG=0;", "", "PASSET=KVR38;"};
        QString firstPath;
        for (int n = 0; n < history::keptPerModem + 3; ++n) {
            const history::Kept kept =
                history::keep(root.path(), "356938035643809", history::Kind::Read, set, start.addSecs(n));
            QCOMPARE(kept.error, QString());
            if (n == 0)
                firstPath = kept.path;
        }
        // The same moment twice gives two files; another modem keeps its own.
        const history::Kept again =
            history::keep(root.path(), "356938035643809", history::Kind::Write, set, start.addSecs(500));
        const history::Kept same =
            history::keep(root.path(), "356938035643809", history::Kind::Write, set, start.addSecs(500));
        QVERIFY(again.path != same.path);
        QCOMPARE(QFileInfo(again.path).fileName(), QString("000204_2026-03-12_09-08-20.000-write.txt"));
        history::keep(root.path(), "pts_3", history::Kind::Unsaved, set, start);

        const QVector<history::Entry> all = history::entries(root.path());
        QCOMPARE(all.size(), history::keptPerModem + 1);
        QCOMPARE(all.first().path, same.path);
        QCOMPARE(all.at(1).path, again.path);
        QCOMPARE(all.last().modem, QString("pts_3"));
        QCOMPARE(all.last().kind, history::Kind::Unsaved);
        QCOMPARE(all.at(2).at, start.addSecs(history::keptPerModem + 2));
        QVERIFY(!QFile::exists(firstPath));
        QCOMPARE(readBytes(all.first().path), paramfile::fileBytes(set));

        // A history that cannot be written says why and writes nothing.
        const QString notAFolder = root.filePath("file");
        QVERIFY(writeBytes(notAFolder, "x"));
        const history::Kept failed = history::keep(notAFolder, "m", history::Kind::Read, set, start);
        QVERIFY(failed.path.isEmpty());
        QVERIFY(!failed.error.isEmpty());

        // The clock set back a year (it ran fast before): the set kept now stays, though dated oldest; the
        // one named before sets were counted goes, and the first kept of the others.
        const QString uncounted = root.filePath("356938035643809/2027-01-01_00-00-00.000-read.txt");
        QVERIFY(writeBytes(uncounted, paramfile::fileBytes(set)));
        const history::Kept late =
            history::keep(root.path(), "356938035643809", history::Kind::Write, set, start.addYears(-1));
        QVERIFY(QFile::exists(late.path) && !QFile::exists(uncounted) && !QFile::exists(all.at(199).path));
        QCOMPARE(history::entries(root.path()).last().path, late.path);
        // A folder name that would lead out of the history is not written.
        QVERIFY(!history::keep(root.path(), "../m", history::Kind::Read, set, start).error.isEmpty());
    }

    // The names a modem's answer or a port's name may give a file or a folder, on Linux and on Windows.
    void safeNames_data()
    {
        QTest::addColumn<QString>("imei");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("name");
        QTest::newRow("IMEI of 15 digits") << "356938035643809"
                                           << "/dev/ttyUSB0"
                                           << "356938035643809";
        QTest::newRow("IMEI of 17 digits, spaces around") << " 35693803564380912\r"
                                                          << "/dev/ttyUSB0"
                                                          << "35693803564380912";
        QTest::newRow("13 digits: the port") << "3569380356438"
                                             << "/dev/ttyUSB0"
                                             << "ttyUSB0";
        QTest::newRow("a path upwards") << "../x"
                                        << "/dev/pts/3"
                                        << "pts_3";
        QTest::newRow("a line break") << "35693803\n5643809"
                                      << "/dev/ttyUSB0"
                                      << "ttyUSB0";
        QTest::newRow("Windows port") << ""
                                      << "COM3"
                                      << "COM3_";
        QTest::newRow("reserved name with an extension, any case") << ""
                                                                   << "nul.txt"
                                                                   << "nul_.txt";
        QTest::newRow("separators") << ""
                                    << "a\\b:c/d"
                                    << "a_b_c_d";
        QTest::newRow("control characters") << ""
                                            << "/tmp/\x1b[2J\b"
                                            << "_tmp___2J_";
        QTest::newRow("dots") << ""
                              << ".a...b."
                              << "_a_.b_";
        QTest::newRow("nothing at all") << ""
                                        << ""
                                        << "no-port";
        QTest::newRow("cut at 64, no trailing dot")
            << "" << QString(63, 'p') + ".x" << QString(63, 'p') + "_";
    }
    void safeNames()
    {
        QFETCH(QString, imei);
        QFETCH(QString, port);
        QFETCH(QString, name);
        QCOMPARE(history::modemFolder(imei, port), name);
    }

    void safeNamesStayInTheirFolder()
    {
        QTemporaryDir dir, outside;
        QVERIFY(safename::inside(dir.path() + "/", dir.filePath("./x.txt")));
        for (const QString &path : {dir.filePath("../x.txt"), dir.filePath("sub/x.txt"), dir.path()})
            QVERIFY2(!safename::inside(dir.path(), path), qPrintable(path));
        // A link that leads out of the folder is outside, one that stays inside is not.
        QVERIFY(QFile::link(outside.filePath("x.txt"), dir.filePath("out.txt")));
        QVERIFY(!safename::inside(dir.path(), dir.filePath("out.txt")));
        QVERIFY(QFile::link(dir.filePath("x.txt"), dir.filePath("in.txt")));
        QVERIFY(safename::inside(dir.path(), dir.filePath("in.txt")));
    }

    void fileTextKeepsLines() { QCOMPARE(paramfile::fileText("A;\r\nB;\n"), QString("A;\nB;\n")); }

    void saveReplacesTheWholeFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("set.txt");
        QCOMPARE(paramfile::save(path, "SETLOG=0;\n"), paramfile::SaveResult::Saved);
        QCOMPARE(readBytes(path), QByteArray("SETLOG=0;\n"));
        QVERIFY(writeBytes(path, QByteArray(500, 'x')));
        QCOMPARE(paramfile::save(path, "SETLOG=1;\n"), paramfile::SaveResult::Saved);
        QCOMPARE(readBytes(path), QByteArray("SETLOG=1;\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"set.txt"});
    }

    void saveThatCannotOpen_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::newRow("missing directory") << "missing/set.txt";
        QTest::newRow("a directory") << "sub";
    }
    void saveThatCannotOpen()
    {
        QFETCH(QString, relative);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("sub"));
        QCOMPARE(paramfile::save(dir.filePath(relative), "SETLOG=0;\n"), paramfile::SaveResult::OpenFailed);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"sub"});
        QVERIFY(QDir(dir.filePath("sub")).isEmpty());
    }

    void overwritingInAReadOnlyFolder()
    {
        // No temporary file can be made beside the target: an existing file is written in place, a new one
        // cannot be made at all.
        QTemporaryDir dir;
        const QString path = dir.filePath("set.txt");
        QVERIFY(writeBytes(path, "SETLOG=1;\n"));
        paramfile::SaveResult over, fresh;
        {
            ReadOnlyFolder readOnly(dir.path());
            if (!readOnly.isActive())
                QSKIP("no folder can be made read-only for this process");
            over = paramfile::save(path, "SETLOG=0;\n");
            fresh = paramfile::save(dir.filePath("new.txt"), "SETLOG=0;\n");
        }
        QCOMPARE(over, paramfile::SaveResult::Saved);
        QCOMPARE(readBytes(path), QByteArray("SETLOG=0;\n"));
        QCOMPARE(fresh, paramfile::SaveResult::OpenFailed);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"set.txt"});
    }

    void failedWriteKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("set.txt");
        const QByteArray old("SETLOG=1;\nSETCSD=0,0,1;\n");
        QVERIFY(writeBytes(path, old));
        const QByteArray longer = QByteArray(200, 'y') + '\n';
        paramfile::SaveResult result;
        {
            FileSizeLimit limit(16);
            QVERIFY(limit.isActive());
            result = paramfile::save(path, longer);
        }
        QCOMPARE(result, paramfile::SaveResult::WriteFailed);
        QCOMPARE(readBytes(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"set.txt"});
    }
};

VELON_TEST_MAIN(TestParamFile)
#include "tst_paramfile.moc"
