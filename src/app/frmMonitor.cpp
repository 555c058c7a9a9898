#include "app/frmMonitor.h"

#include "link/linetap.h"

#include <QAbstractListModel>
#include <QClipboard>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QVBoxLayout>

namespace orrinet {

// The log's lines as a list, read when the view paints them.
class LineLogModel final : public QAbstractListModel
{
public:
    LineLogModel(const LineLog &log, QObject *parent) : QAbstractListModel(parent), m_log(log) {}

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_log.size());
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || index.row() >= m_log.size())
            return {};
        return m_log.lineText(index.row());
    }

    void changed()
    {
        beginResetModel();
        endResetModel();
    }

private:
    const LineLog &m_log;
};

namespace {

QPushButton *button(const QString &caption, const QString &name, QWidget *parent)
{
    auto *pushButton = new QPushButton(caption, parent);
    pushButton->setObjectName(name);
    pushButton->setAutoDefault(false);
    return pushButton;
}

} // namespace

frmMonitor::frmMonitor(LineTap &tap, QWidget *owner) : QWidget(owner, Qt::Window), m_tap(tap)
{
    setObjectName(QStringLiteral("frmMonitor"));
    setWindowTitle(QStringLiteral("Line Monitor"));

    m_model = new LineLogModel(m_log, this);
    LogList = new QListView(this);
    LogList->setObjectName(QStringLiteral("LogList"));
    LogList->setModel(m_model);
    // Uniform rows: a view of ten thousand lines lays out only what it shows.
    LogList->setUniformItemSizes(true);
    LogList->setSelectionMode(QAbstractItemView::NoSelection);
    LogList->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    CommandCopy = button(QStringLiteral("Copy"), QStringLiteral("CommandCopy"), this);
    CommandSave = button(QStringLiteral("Save..."), QStringLiteral("CommandSave"), this);
    CommandClear = button(QStringLiteral("Clear"), QStringLiteral("CommandClear"), this);
    LabelResult = new QLabel(this);
    LabelResult->setObjectName(QStringLiteral("LabelResult"));
    LabelResult->setTextFormat(Qt::PlainText);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(CommandCopy);
    buttons->addWidget(CommandSave);
    buttons->addWidget(CommandClear);
    buttons->addWidget(LabelResult, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(LogList, 1);
    layout->addLayout(buttons);
    resize(560, 360);

    connect(CommandCopy, &QPushButton::clicked, this, &frmMonitor::CommandCopy_Click);
    connect(CommandSave, &QPushButton::clicked, this, &frmMonitor::CommandSave_Click);
    connect(CommandClear, &QPushButton::clicked, this, &frmMonitor::CommandClear_Click);
    connect(&m_tap, &LineTap::recorded, this, &frmMonitor::showRecorded);
}

frmMonitor::~frmMonitor()
{
    m_tap.attach(nullptr);
}

void frmMonitor::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_tap.attach(&m_log);
}

void frmMonitor::hideEvent(QHideEvent *event)
{
    m_tap.attach(nullptr);
    QWidget::hideEvent(event);
}

void frmMonitor::showRecorded()
{
    // The view lays itself out once per event-loop pass however many lines
    // came in; it follows the newest line unless scrolled up.
    const QScrollBar *bar = LogList->verticalScrollBar();
    const bool following = bar->value() == bar->maximum();
    m_model->changed();
    if (following)
        LogList->scrollToBottom();
}

void frmMonitor::CommandCopy_Click()
{
    QGuiApplication::clipboard()->setText(m_log.allText());
    LabelResult->setText(QString::number(m_log.size()) + QStringLiteral(" lines copied"));
}

void frmMonitor::CommandSave_Click()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save Line Monitor"),
                                                      QStringLiteral("orrinet-line.txt"),
                                                      QStringLiteral("Text files (*.txt)"));
    if (!path.isEmpty())
        saveTo(path);
}

bool frmMonitor::saveTo(const QString &path)
{
    QSaveFile file(path);
    bool saved = file.open(QIODevice::WriteOnly | QIODevice::Text);
    saved = saved && file.write(m_log.allText().toLatin1()) >= 0;
    saved = saved && file.commit();
    LabelResult->setText(saved ? QString::number(m_log.size()) + QStringLiteral(" lines saved")
                               : QStringLiteral("Not saved: ") + file.errorString());
    return saved;
}

void frmMonitor::CommandClear_Click()
{
    m_log.clear();
    m_model->changed();
    LabelResult->clear();
}

} // namespace orrinet
