#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

namespace Ui {
class FormSettings;
}

// The settings window: identifier (SETID), log-file transfer (SETLOG), CSD mode (SETCSD) and settings
// password (PASSET). It talks to the main window only through its four signals and four slots each way.
class FormSettings : public QWidget
{
    Q_OBJECT

public:
    explicit FormSettings(QWidget *parent = nullptr);
    ~FormSettings() override;

signals:
    void sendSETIDStringToWindow(QString str);
    void sendSETLOGStringToWindow(QString str);
    void sendSETCSDStringToWindow(QString str);
    void sendPASSETStringToWindow(QString str);

public slots:
    void slotGetSETIDStringFromMainWindow(QString str);
    void slotGetSETLOGStringFromMainWindow(QString str);
    void slotGetSETCSDStringFromMainWindow(QString str);
    void slotGetPASSETStringFromMainWindow(QString str);

private slots:
    void on_radioButton_identitySwitch_clicked(bool checked);
    void on_lineEdit_identityLine_textChanged(const QString &arg1);
    void on_radioButton_sendLogFile_clicked(bool checked);
    void on_comboBox_CSD_currentIndexChanged(const QString &arg1);
    void on_lineEdit_password_textChanged(const QString &arg1);

private:
    Ui::FormSettings *ui = nullptr;

    QString SETIDString;
    QString SETLOGString;
    QString SETCSDString;
    QString PASSETString;
    QString identitySwitch;
    QString identityLine;
    QString sendLogFile;
    QString csdMode;
    QString password;
    QStringList csdItems;
};
