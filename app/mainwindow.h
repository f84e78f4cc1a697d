#pragma once

#include "app/statusline.h"
#include "files/filedialogs.h"
#include "link/linepacer.h"
#include "link/portopen.h"
#include "link/portwatch.h"
#include "link/setreply.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMap>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

class QAction;
class QCloseEvent;
class QLabel;
class QMenu;
#include "link/serialportfwd.h"
class QTimer;
class FormSettings;

namespace portsurvey {
class Search;
struct Port;
} // namespace portsurvey

namespace exchangelog {
class CapturingPort;
class ExchangeLog;
class ExchangeLogWindow;
} // namespace exchangelog

namespace history {
enum class Kind;
class HistoryWindow;
class CompareWindow;
} // namespace history

namespace Ui {
class MainWindow;
}

// The configurator's main window: the form, the one serial port, the record texts of the 26 parameter
// keys and the settings window. Its members are implemented by area: app/ (lifecycle), editor/ (form and
// editing handlers), link/ (port search, send and receive, write), params/ (parser, read and validation),
// files/ (parameter files), exchangelog/ (the exchange log and the command history).
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // The record text currently held for a key ("SETCOM" ... "SERVER"); empty for an unknown key.
    QString recordText(const QString &key) const;
    // The 26 record texts held, in the file's order.
    QStringList heldRecordTexts() const;
    const QMap<QString, QString> &parsedParams() const { return paramsMap; }
    const QMap<QString, QString> &writtenParams() const { return writtenParamsMap; }
    FormSettings *settingsWindow() const { return formSettings.get(); }
    SerialPort *serialPort() const { return port; }
    // --- files/: tests put their own file dialogs in; an empty function keeps the toolkit's dialog.
    void setFileDialogs(files::FileDialogs dialogs);
    // --- exchangelog/: every byte that crossed the port; its window exists once it has been opened.
    exchangelog::ExchangeLog *exchangeLog() const { return exchange.get(); }
    exchangelog::ExchangeLogWindow *exchangeLogWindow() const { return exchangeWindow.get(); }

signals:
    void sendSETIDStringFromMainWindow(QString str);
    void sendSETLOGStringFromMainWindow(QString str);
    void sendSETCSDStringFromMainWindow(QString str);
    void sendPASSETStringFromMainWindow(QString str);

public slots:
    // --- params/: the parser of a parameter set.
    void slotGetAllParams(QByteArray data);

    // --- editor/: the four records that come from the settings window.
    void slotGetSETIDStringFromSettingsWindow(QString str);
    void slotGetSETLOGStringFromSettingsWindow(QString str);
    void slotGetSETCSDStringFromSettingsWindow(QString str);
    void slotGetPASSETStringFromSettingsWindow(QString str);

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    // --- app/
    void on_toolButton_settings_clicked();

    // --- link/: search, command line, receive path, information fields, write.
    void on_comboBox_portList_currentIndexChanged(const QString &arg1);
    void on_portReadyRead();
    void on_lineEdit_commandToModem_textChanged(const QString &arg1);
    void on_toolButton_clicked();
    void on_lineEdit_modemModel_textChanged(const QString &arg1);
    void on_lineEdit_IMEILevel_textChanged(const QString &arg1);
    void on_lineEdit_operator_textChanged(const QString &arg1);
    void on_lineEdit_signalLevel_textChanged(const QString &arg1);
    void on_lineEdit_controllerPO_textChanged(const QString &arg1);
    void on_lineEdit_GSMModulePO_textChanged(const QString &arg1);
    void on_toolButton_writeModemParams_clicked();

    // --- params/: reading a set from the modem.
    void on_toolButton_readModemParams_clicked();

    // --- files/
    void on_toolButton_saveToFile_clicked();
    void on_toolButton_loadFromFile_clicked();

    // --- exchangelog/: the menu "Сервис".
    void on_action_exchangeLog_triggered();
    void on_action_saveDebugConsole_triggered();

    // --- editor/: editing handlers.
    void on_lineEdit_csdNumber1_textChanged(const QString &arg1);
    void on_lineEdit_csdNumber2_textChanged(const QString &arg1);
    void on_lineEdit_csdNumber3_textChanged(const QString &arg1);
    void on_lineEdit_csdNumber4_textChanged(const QString &arg1);
    void on_lineEdit_csdNumber5_textChanged(const QString &arg1);
    void on_lineEdit_controlNumber1_textChanged(const QString &arg1);
    void on_lineEdit_controlNumber2_textChanged(const QString &arg1);
    void on_lineEdit_controlNumber3_textChanged(const QString &arg1);
    void on_lineEdit_controlNumber4_textChanged(const QString &arg1);
    void on_lineEdit_controlNumber5_textChanged(const QString &arg1);

    void on_lineEdit_pinSIM1_textChanged(const QString &arg1);
    void on_lineEdit_userNameGPRSSIM1_textChanged(const QString &arg1);
    void on_lineEdit_passwordGPRSSIM1_textChanged(const QString &arg1);
    void on_lineEdit_pointAPNGPRSSIM1_textChanged(const QString &arg1);
    void on_lineEdit_pinSIM2_textChanged(const QString &arg1);
    void on_lineEdit_userNameGPRSSIM2_textChanged(const QString &arg1);
    void on_lineEdit_passwordGPRSSIM2_textChanged(const QString &arg1);
    void on_lineEdit_pointAPNGPRSSIM2_textChanged(const QString &arg1);

    void on_comboBox_rs232BaudRate_currentIndexChanged(const QString &arg1);
    void on_comboBox_rs232DataBits_currentIndexChanged(const QString &arg1);
    void on_comboBox_rs232Parity_currentIndexChanged(const QString &arg1);
    void on_comboBox_rs232StopBits_currentIndexChanged(const QString &arg1);
    void on_comboBox_dataControlRs232_currentIndexChanged(const QString &arg1);
    void on_comboBox_rs485BaudRate_currentIndexChanged(const QString &arg1);
    void on_comboBox_rs485DataBits_currentIndexChanged(const QString &arg1);
    void on_comboBox_rs485Parity_currentIndexChanged(const QString &arg1);
    void on_comboBox_rs485StopBits_currentIndexChanged(const QString &arg1);
    void on_comboBox_flowControlRs485_currentIndexChanged(const QString &arg1);
    void on_comboBox_canBaudRate_currentIndexChanged(const QString &arg1);
    void on_comboBox_canDataBits_currentIndexChanged(const QString &arg1);
    void on_comboBox_canParity_currentIndexChanged(const QString &arg1);
    void on_comboBox_canStopBits_currentIndexChanged(const QString &arg1);

    void on_lineEdit_url1_textChanged(const QString &arg1);
    void on_lineEdit_url2_textChanged(const QString &arg1);
    void on_lineEdit_url3_textChanged(const QString &arg1);
    void on_lineEdit_url4_textChanged(const QString &arg1);
    void on_lineEdit_url5_textChanged(const QString &arg1);
    void on_spinBox_portUrl1_valueChanged(const QString &arg1);
    void on_spinBox_portUrl2_valueChanged(const QString &arg1);
    void on_spinBox_portUrl3_valueChanged(const QString &arg1);
    void on_spinBox_portUrl4_valueChanged(const QString &arg1);
    void on_spinBox_portUrl5_valueChanged(const QString &arg1);
    void on_spinBox_intervalUrl1_valueChanged(const QString &arg1);
    void on_spinBox_intervalUrl2_valueChanged(const QString &arg1);
    void on_spinBox_intervalUrl3_valueChanged(const QString &arg1);
    void on_spinBox_intervalUrl4_valueChanged(const QString &arg1);
    void on_spinBox_intervalUrl5_valueChanged(const QString &arg1);

    void on_comboBox_sim1Mode_currentIndexChanged(const QString &arg1);
    void on_comboBox_sim2Mode_currentIndexChanged(const QString &arg1);
    void on_comboBox_prioritySim_currentIndexChanged(const QString &arg1);
    void on_radioButton_comActive_clicked(bool checked);
    void on_radioButton_rsActive_clicked(bool checked);
    void on_radioButton_canActive_clicked(bool checked);
    void on_radioButton_settingModeArmSIM1_clicked();
    void on_radioButton_settingModeArmSIM1_clicked(bool checked);

    // Also called directly, with true, by the validation of a parameter set.
public slots:
    void on_radioButton_client_clicked(bool checked);
    void on_radioButton_server_clicked(bool checked);

private slots:
    void on_spinBox_portModeServer_valueChanged(const QString &arg1);
    void on_spinBox_timeout_valueChanged(const QString &arg1);
    void on_spinBox_rebootInterval_valueChanged(const QString &arg1);

private:
    // --- editor/: construction steps 1 to 12 and 14, 15 of the form's initialisation.
    void initForm();
    void finishForm();

    // --- link/
    // The search at start-up: searchModem(), then its message.
    void findModemPort();
    struct SearchMessage
    {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString text; // empty: no message
    };
    // Every port present probed at once, the modem's linked; the status said, the message returned.
    SearchMessage searchModem();
    // The search's message box; a modem the watcher links meanwhile closes it.
    void showSearchMessage(const SearchMessage &message);
    // The name of the port the search left current (the one in use when the modem was found).
    QString portInUse() const;
    enum class Sent {
        Yes,
        NotOpened,  // the port could not be opened (message shown); nothing went out
        NotWritten, // the write failed (message shown); nothing went out
    };
    Sent sendToModem(const QString &text);
    // One "READALL;" of the write's read-back: how it ended, the set in *set when it came whole. Any other
    // end has said the write's verdict (not checked, or restarted).
    setreply::End readAllParams(QMap<QString, QString> *set);
    // Before a write of values read from this modem (modem: its history folder, as askModemFolder gave it):
    // its set read again and compared with that read; a key the engineer did not edit that differs is asked
    // about once. False when the write stops (said).
    bool modemHoldsWhatWasRead(const QStringList &held, const QString &modem);
    // The read that put the form's values there, the form as it made them, and the modem's folder; forgotten
    // once a write has sent them or a file is loaded.
    void noteReadBaseline(const QMap<QString, QString> &read, const QString &modem);
    void forgetReadBaseline();
    // Sends "READALL;" with the receive path detached and takes the reply; the DEBUG records in it go to
    // the traffic log. The caller attaches the receive path again (unless interrupted).
    setreply::Reply fetchParamSet(Sent *sent);
    // A reply that brought no set (no answer, the port lost, the modem restarted; with wholeOnly, any reply
    // that did not end whole): its one message and the status; true when so.
    bool reportNoSet(const setreply::Reply &reply, Sent sent, bool wholeOnly);
    // The status after a read or write that failed on the link: a port lost meanwhile, one that could not
    // be opened, or a failed write.
    void reportLinkFailure(Sent sent);
    // Appends a modem debug line to the traffic log, with the date and time.
    void logDebugLine(const QString &text);
    // The receive path's connection (port readyRead -> on_portReadyRead), made at most once.
    void attachReceivePath();
    void detachReceivePath();
    // Waits until what was sent has left the line (its line time from the hand-over), then ms of quiet line.
    // False when the window is closing or the application quitting: the operation ends at once, the record
    // on the line having left whole.
    bool pause(int ms);
    // Waits until what was sent has left the line; false as pause().
    bool untilSent();
    bool interrupted() const { return windowClosing || quitting; }

    // --- params/: the validation of a parameter set in paramsMap, shared by the read and the file load.
    // Returns false when it stopped at a hard failure (its message already shown and closed).
    bool validateParamSet();
    // Before a save or a write: whether a load of the held record texts would take every value as it
    // stands. When not, shows the message that load would show, puts the refusal on the status line and
    // returns false.
    bool recordsLoadBack(statusline::Outcome refused);

    Ui::MainWindow *ui = nullptr;
    SerialPort *port = nullptr;
    std::unique_ptr<FormSettings> formSettings;

    QByteArray bufferMainWindow;
    QMap<QString, QString> paramsMap;
    QMap<QString, QString> writtenParamsMap;
    QStringList paramsKeyList;
    QString commandToModem;

    // Value lists kept for the validation; the others are used straight from records::.
    QStringList simModeList;
    QStringList prioritySimList;
    QStringList simModeCodeList;
    QStringList flagCodeList;
    QStringList csdModeList;

    // Record texts, one per key.
    QString SETCOMString, SETRSString, SETCANString, SETSIM1String, SETSIM2String;
    QString ADMTEL1String, ADMTEL2String, ADMTEL3String, ADMTEL4String, ADMTEL5String;
    QString CSDTEL1String, CSDTEL2String, CSDTEL3String, CSDTEL4String, CSDTEL5String;
    QString SETURL1String, SETURL2String, SETURL3String, SETURL4String, SETURL5String;
    QString SETCONFString, SETIDString, SETLOGString, SETCSDString, PASSETString, SERVERString;

    // Components of the records, named after their widgets.
    QString rs232BaudRate, rs232DataBits, rs232Parity, rs232StopBits, dataControlRs232;
    QString rs485BaudRate, rs485DataBits, rs485Parity, rs485StopBits, flowControlRs485;
    QString canBaudRate, canDataBits, canParity, canStopBits;
    QString pinSIM1, userNameGPRSSIM1, passwordGPRSSIM1, pointAPNGPRSSIM1;
    QString pinSIM2, userNameGPRSSIM2, passwordGPRSSIM2, pointAPNGPRSSIM2;
    QString portUrl1, portUrl2, portUrl3, portUrl4, portUrl5;
    QString intervalUrl1, intervalUrl2, intervalUrl3, intervalUrl4, intervalUrl5;
    QString sim1Mode, sim2Mode, prioritySim, comActive, rsActive, canActive; // the six SETCONF fields
    QString serverMode, portModeServer, timeout, rebootInterval;

    // Copies of the six information fields.
    QString modemModelText, imeiText, operatorText, signalLevelText, controllerPOText, gsmModulePOText;

    // --- files/ private state
    files::FileDialogs fileDialogs = files::standardFileDialogs();
    QString lastFileFolder; // of the last parameter file chosen in this run; where the dialogs start

    // --- editor/ private state
    // Each rebuilds its key's record text from the key's components.
    void rebuildSETCOM();
    void rebuildSETRS();
    void rebuildSETCAN();
    void rebuildSETSIM1();
    void rebuildSETSIM2();
    void rebuildSETCONF();
    void rebuildSERVER();

    // --- link/ private state (added by the link code).
    // A write, resource or read error of the open port closes it once (an unplugged adapter reports
    // ReadError thousands of times a second); takes SerialPort::SerialPortError.
    void handlePortError(int error);
    // The close that handlePortError queued, done now if it is still due.
    void closeFailedPort();
    QByteArray receiveKept; // the unfinished line of the last notification, put before the next one
    LinePacer pacer;
    bool searchingPort = false;
    bool portClosePending = false; // an error's close is queued; later errors of the same port add nothing
    int pendingPortError = 0;
    QString pendingPortErrorText, failedPortName;
    bool linkLost = false;       // the port failed during the current operation
    bool modemRestarted = false; // "MODEM_READY;" came unasked during the current operation
    QMap<QString, QString> readBaseline;
    QStringList readBaselineForm;
    QString readBaselinePort;  // empty: the form's values did not come from a read
    QString readBaselineModem; // the read modem's history folder (its IMEI, or the port's name)

    // --- params/ and the write: reads of a whole set, one link operation at a time.
    // Holds the action buttons inert while a read or write waits in a nested event loop; started() is
    // false when another operation is already running.
    class LinkOperation
    {
    public:
        explicit LinkOperation(MainWindow *window);
        ~LinkOperation();
        LinkOperation(const LinkOperation &) = delete;
        LinkOperation &operator=(const LinkOperation &) = delete;
        bool started() const { return owner != nullptr; }

    private:
        MainWindow *owner = nullptr;
    };
    friend class LinkOperation;
    void setActionButtonsEnabled(bool enabled);
    void setInterfaceFlag(const QString &flag, const QString &value);
    bool linkBusy = false;
    bool windowClosing = false;
    bool quitting = false; // the application was told to quit while an operation waited

    // --- exchangelog/: the capture feeds the log from the first byte of the search on; the command line
    // gets its history.
    void setUpExchangeLog(exchangelog::CapturingPort *capturingPort);
    std::unique_ptr<exchangelog::ExchangeLog> exchange;
    std::unique_ptr<exchangelog::ExchangeLogWindow> exchangeWindow; // goes before the log it shows

    // --- link/: finding the modem again, watching the port list, choosing a port, asking the modem who it
    // is (link/mainwindow_search.cpp).
    void setUpModemMenu();
    void findModemAgain();
    void fillPortMenu();
    void choosePort(const QString &name);
    void askModemIdentity();
    // Sends query and waits up to a second for the field it asks for (receivepath::Field, filled in by the
    // receive path); *sent says why when it could not be sent.
    enum class Asked { Field, OtherField, Silent, NotSent, Lost, Interrupted };
    Asked askField(const QString &query, int field, Sent *sent);
    // Looks at the port list: a linked port that left it is lost; while none is linked, ports that appeared
    // are probed.
    void watchPorts();
    void takeWatchResult();
    // Links the modem that answered on name (its reply in reply): the probe's open port object answered
    // becomes the window's port, else port is opened on name; false, the port closed, when it cannot be
    // opened.
    bool linkPort(const QString &name, const QByteArray &reply, std::unique_ptr<SerialPort> answered);
    void adoptPort(std::unique_ptr<SerialPort> answered);
    // Opens port; a port that cannot be opened leaves a line in the exchange log.
    bool openPort();
    // The port objects of a search: they report their traffic to the exchange log.
    std::unique_ptr<SerialPort> makeProbePort();
    // An exchange-log line for every port of a search that could not be opened.
    void noteUnopened(const QVector<portsurvey::Port> &ports);
    void noteUnopened(const QString &name, portopen::Problem problem, const QString &errorText);
    // The receive path's work on bytes that came in, however they were taken off the port.
    void takeIncoming(const QByteArray &bytes);
    QAction *findModemAction = nullptr;
    QAction *identityAction = nullptr;
    QMenu *portMenu = nullptr;
    QTimer *portWatch = nullptr;
    std::unique_ptr<portsurvey::Search> watchSearch;
    portwatch::Watch watching;
    QElapsedTimer watchClock;
    QPointer<QMessageBox> searchBox; // the search's message, while it is open
    QString linkedPort;              // where the modem answered; empty while none is linked
    int awaitedField = -1;           // receivepath::Field the identity query waits for; -1: none
    bool awaitedArrived = false;
    bool anyFieldArrived = false;

    // --- app/: the status line.
    // Puts an outcome, at the current time, on the status line; outcomes that tell where the form's
    // values came from replace that part, the others replace what the last operation did.
    void reportStatus(statusline::Outcome outcome, const QString &subject = QString(), int count = 0);
    QLabel *statusLabel = nullptr;
    QString statusOrigin;
    QString statusLastOperation;
    QString statusVerdict; // the words of an unchecked write, while the line still says them
    statusline::Outcome statusVerdictOutcome = statusline::Outcome::WrittenUnchecked;

    // --- history/: the edit marker, the question before closing with edits, the kept sets, the comparison.
public:
    bool hasEdits() const { return formEdited; }
    history::HistoryWindow *historyWindow() const { return historyDialog.get(); }
    history::CompareWindow *compareWindow() const { return compareDialog.get(); }
    // Where the kept sets go; the user's data folder unless a test puts its own.
    void setHistoryFolder(const QString &folder) { historyFolder = folder; }

private slots:
    // The session ends (logout, shutdown): nobody can answer a question, so unsaved edits are kept.
    void keepEditsAtSessionEnd();

private:
    void setUpHistory();
    void noteFormEdit();
    void setFormEdited(bool edited);
    // Before a close: false when the engineer chose to stay or the save did not happen.
    bool mayCloseWithEdits();
    // Keeps a set of 26 record texts in the modem's folder of the history; a failure is one status note.
    // False when it could not be kept.
    bool keepInHistory(history::Kind kind, const QStringList &recordTexts, const QString &modem);
    // Asks the modem at hand "IMEI;" before a read or write: the history folder its set goes to is its
    // answer (or the port's name when it names none), so that a cable moved to another modem files that
    // modem's sets as its own. False, with the failure reported, when the link failed or the window is
    // closing: the read or write ends there.
    bool askModemFolder(QString *folder);
    // The form's edits that are not in the history yet, kept as "unsaved" under the modem the form's set
    // came from; true when the form holds edits, which are then in the history (or could not be put there,
    // which the status line says).
    bool keepUnsavedEdits();
    // Before a read or load replaces the form: its unsaved edits kept first. Say the result once the
    // replacement has put its own words on the status line.
    void sayEditsKept(bool kept);
    void showHistory();
    void showComparison();
    void compareWithModem();
    void compareWithFile(const QString &fileName);
    // --- files/: a load from a named file (the open dialog's or a kept set), and the reading both a load
    // and a comparison do: false after its message.
    void loadParamFile(const QString &fileName);
    bool readParamFile(const QString &fileName, QString *text);
    bool holdsASet(const QString &fileName, const QString &text);

    QString historyFolder;
    bool formEdited = false;
    int editsMade = 0;          // counts the engineer's edits, so an operation sees one made while it waited
    bool fillingForm = false;   // the program sets the form (a read, a load): no edit
    bool askingToClose = false; // the close question is open
    int editsKept = -1;         // editsMade when the form's edits last went to the history
    QString formModem;          // the history folder of the modem whose set the form holds; empty: none
    QString historyError;       // why the last set could not be kept
    bool sessionSaved = false;  // the session manager asked for the edits (a checkpoint or a logout)
    bool sessionEnding = false; // the Quit after it is closing the windows: the session really ends
    std::unique_ptr<history::HistoryWindow> historyDialog;
    std::unique_ptr<history::CompareWindow> compareDialog;
};
