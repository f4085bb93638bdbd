#include "app/NotificationDelegate.h"

#include "app/FileRevealer.h"
#include "app/Logging.h"

namespace velmora {

void NotificationDelegate::didReceiveResponse(const QVariantMap& userInfo) {
    const QVariant path = userInfo.value(QLatin1String(filePathKey));
    if (path.typeId() != QMetaType::QString)
        return;
    revealer_.revealFile(path.toString());
    qCInfo(lcNotification, "Revealed transcript in file manager: %s", qUtf8Printable(path.toString()));
}

} // namespace velmora
