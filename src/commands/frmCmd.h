#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;
class frmMain;

// The command console: a command typed in full is written to the telescope
// as it stands, and whatever the telescope sends back while no other reply is
// awaited is shown in the reply box. One object serves every opening; "Close"
// keeps both texts for the next opening, the window's close box does not.
class frmCmd : public QDialog
{
    Q_OBJECT

public:
    // Commands go out through owner's Send_Command; the console is a window
    // of its own, centred over owner.
    explicit frmCmd(frmMain &owner);

    QLineEdit *Text1 = nullptr;
    QPushButton *SendCommand = nullptr;
    QPushButton *ClearCommand = nullptr;
    QLineEdit *Text2 = nullptr;
    QPushButton *CloseCommand = nullptr;

    void SendCommand_Click();
    void ClearCommand_Click();
    void CloseCommand_Click();

    // Input nobody else awaits. A reply that comes in pieces is shown whole:
    // each piece is added to what arrived since the last Send or, when
    // nothing was sent since the console opened, since it opened.
    void showReceived(const QString &piece);
    // What showReceived() has gathered since the last Send or opening.
    const QString &gatheredReply() const { return m_reply; }

    // Showing the console is its load: the boxes take the saved texts.
    void setVisible(bool visible) override;

private:
    void Form_Initialize();
    void Form_Load();

    frmMain &m_owner;
    // The input since the last Send or opening, which the reply box shows.
    QString m_reply;
    QString SavedCommand;
    QString SavedReply;
};
