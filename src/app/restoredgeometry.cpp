#include "app/restoredgeometry.h"

namespace orrinet {

namespace {
constexpr QLatin1StringView kName("RestoredGeometry");
}

RestoredGeometry::RestoredGeometry(QObject &window) : QObject(&window)
{
    setObjectName(kName);
}

RestoredGeometry &RestoredGeometry::of(QObject &window)
{
    if (auto *found = window.findChild<QObject *>(kName, Qt::FindDirectChildrenOnly))
        return *static_cast<RestoredGeometry *>(found);
    return *new RestoredGeometry(window);
}

const RestoredGeometry *RestoredGeometry::find(const QObject &window)
{
    return static_cast<const RestoredGeometry *>(
        window.findChild<const QObject *>(kName, Qt::FindDirectChildrenOnly));
}

} // namespace orrinet
