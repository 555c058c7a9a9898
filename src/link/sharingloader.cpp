#include "link/sharinghost.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

namespace orrinet {

std::unique_ptr<SharingHost> loadSharingHost(bool ownThread, const SharingHost::Events &events,
                                             QString &error)
{
    const QString file = QStringLiteral("/" ORRINET_SHARING_MODULE);
    const QString besideProgram = QCoreApplication::applicationDirPath();
    QStringList folders{besideProgram,
                        besideProgram + QStringLiteral("/../" ORRINET_SHARING_LIBDIR)};
#ifdef ORRINET_SHARING_BUILD_DIR
    folders << QStringLiteral(ORRINET_SHARING_BUILD_DIR); // test programs in the build tree
#endif
    QString path = folders[1] + file; // where it is missing from when it is nowhere
    for (const QString &folder : folders)
        if (QFileInfo::exists(folder + file)) {
            path = folder + file;
            break;
        }
    // Never unloaded: the hub's code stays until the program ends.
    QLibrary library(QFileInfo(path).absoluteFilePath());
    const auto factory = reinterpret_cast<SharingHostFactory>(library.resolve(kSharingHostFactory));
    if (!factory) {
        error = library.errorString();
        return nullptr;
    }
    return std::unique_ptr<SharingHost>(factory(ownThread, events));
}

} // namespace orrinet
