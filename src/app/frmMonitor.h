#pragma once

#include "link/linelog.h"

#include <QWidget>

class QLabel;
class QListView;
class QPushButton;

namespace orrinet {

class LineLogModel;
class LineTap;

// The line monitor: a window of its own, not modal, listing what the panel
// writes and reads. It records only while shown, so it costs nothing closed;
// the lines stay for the next opening.
class frmMonitor final : public QWidget
{
    Q_OBJECT

public:
    explicit frmMonitor(LineTap &tap, QWidget *owner);
    ~frmMonitor() override;

    const LineLog &log() const { return m_log; }

    QListView *LogList = nullptr;
    QPushButton *CommandCopy = nullptr;
    QPushButton *CommandSave = nullptr;
    QPushButton *CommandClear = nullptr;
    QLabel *LabelResult = nullptr;

    void CommandCopy_Click();
    void CommandSave_Click();
    void CommandClear_Click();
    // Writes every line to the file; false, with the reason shown, on failure.
    bool saveTo(const QString &path);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void showRecorded();

    LineTap &m_tap;
    LineLog m_log;
    LineLogModel *m_model = nullptr;
};

} // namespace orrinet
