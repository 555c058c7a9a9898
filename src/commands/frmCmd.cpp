#include "commands/frmCmd.h"

#include "app/formfont.h"
#include "app/frmMain.h"
#include "app/twips.h"

#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace {

// Design size of the client area, twips.
constexpr int kClientWidth = 2748;
constexpr int kClientHeight = 1320;

// The reply box is set apart in light grey.
constexpr quint32 kReplyBackColor = 0x00E0E0E0;

// Each character goes on the line as one byte: nothing beyond Latin-1 fits.
bool fitsLatin1(QStringView text)
{
    return std::ranges::all_of(text, [](QChar ch) { return ch.unicode() <= 0xFF; });
}

QPushButton *button(const QString &caption, const QString &name, QWidget *parent)
{
    auto *pushButton = new QPushButton(caption, parent);
    pushButton->setObjectName(name);
    // Enter in a text box presses nothing.
    pushButton->setAutoDefault(false);
    return pushButton;
}

} // namespace

frmCmd::frmCmd(frmMain &owner)
    : QDialog(&owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_owner(owner)
{
    setObjectName(QStringLiteral("frmCmd"));
    setWindowTitle(QStringLiteral("LX200GPS"));
    setFont(orrinet::formFont());

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    SendCommand = button(QStringLiteral("Send"), QStringLiteral("SendCommand"), this);
    ClearCommand = button(QStringLiteral("Clear"), QStringLiteral("ClearCommand"), this);
    Text2 = new QLineEdit(this);
    Text2->setObjectName(QStringLiteral("Text2"));
    QPalette replyColours = Text2->palette();
    replyColours.setColor(QPalette::Base, orrinet::colorFromBgr(kReplyBackColor));
    Text2->setPalette(replyColours);
    CloseCommand = button(QStringLiteral("Close"), QStringLiteral("CloseCommand"), this);

    orrinet::place(Text1, 120, 60, 2532, 312);
    orrinet::place(SendCommand, 180, 480, 612, 312);
    orrinet::place(ClearCommand, 900, 480, 612, 312);
    orrinet::place(Text2, 120, 900, 2532, 312);
    orrinet::place(CloseCommand, 2040, 480, 552, 312);
    setFixedSize(orrinet::twipsRectToPixels(0, 0, kClientWidth, kClientHeight, this).size());

    setTabOrder(Text1, SendCommand);
    setTabOrder(SendCommand, ClearCommand);
    setTabOrder(ClearCommand, Text2);
    setTabOrder(Text2, CloseCommand);

    // Enter in the command box sends, as in any console.
    connect(Text1, &QLineEdit::returnPressed, this, &frmCmd::SendCommand_Click);
    connect(SendCommand, &QPushButton::clicked, this, &frmCmd::SendCommand_Click);
    connect(ClearCommand, &QPushButton::clicked, this, &frmCmd::ClearCommand_Click);
    connect(CloseCommand, &QPushButton::clicked, this, &frmCmd::CloseCommand_Click);

    Form_Initialize();
}

void frmCmd::Form_Initialize()
{
    SavedCommand.clear();
    SavedReply.clear();
}

void frmCmd::Form_Load()
{
    Text1->setText(SavedCommand);
    Text2->setText(SavedReply);
    // The saved reply is shown until the first input replaces it.
    m_reply.clear();
}

void frmCmd::setVisible(bool visible)
{
    if (visible && !isVisible())
        Form_Load();
    QDialog::setVisible(visible);
}

void frmCmd::SendCommand_Click()
{
    // Emptied first, so the box shows only what answers this command.
    Text2->clear();
    m_reply.clear();
    const QString command = Text1->text();
    if (!fitsLatin1(command)) {
        // Sending it would put other bytes on the line than the ones typed.
        m_owner.setStatusText(
            QStringLiteral("Command not sent: it holds characters the serial line cannot carry"));
        return;
    }
    m_owner.Send_Command(command);
}

void frmCmd::showReceived(const QString &piece)
{
    // No more than the box can show is kept, however long the input runs on.
    m_reply = (m_reply + piece).left(Text2->maxLength());
    Text2->setText(m_reply);
}

void frmCmd::ClearCommand_Click()
{
    Text1->clear();
}

void frmCmd::CloseCommand_Click()
{
    SavedCommand = Text1->text();
    SavedReply = Text2->text();
    accept();
}
