#pragma once

#include "platform/cursor.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

namespace orrinet::testing {

// A pointer for tests: records "confine L,T WxH", "release" and "warp X,Y".
// A warp that moves the pointer posts one mouse move to echoTo (if set), as
// the window system does; process events to deliver it.
class RecordingCursor final : public Cursor
{
public:
    bool confine(QWidget &window, const QRect &area) override;
    void release() override;
    QPoint position() const override { return m_position; }
    void warp(const QPoint &to) override;

    QStringList calls;
    bool refuseConfine = false; // as when another program holds the pointer
    bool confined = false;
    QPointer<QWidget> echoTo;
    void place(const QPoint &at) { m_position = at; }

private:
    QPoint m_position;
};

} // namespace orrinet::testing
