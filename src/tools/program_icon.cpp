#include "tools/program_icon.h"

namespace varkel {

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/varkel/icons/hicolor/%1x%1/apps/varkel.png").arg(size),
                     QSize(size, size));
    return icon;
}

}  // namespace varkel
