#include "app/CaptionTip.h"

namespace velmora {

QList<CaptionTip> CaptionTip::all() {
    const QString join = QStringLiteral("Join or start a meeting");
    const QString appear = QStringLiteral("Captions appear at the bottom of the meeting window");
    return {
        {QStringLiteral("Microsoft Teams"),
         {join, QStringLiteral("Click \"More\" (•••) in the meeting toolbar"),
          QStringLiteral("Select \"Turn on live captions\""), appear}},
        {QStringLiteral("Zoom"),
         {join, QStringLiteral("Click \"Show Captions\" (CC) in the meeting toolbar"),
          QStringLiteral("Select your language if prompted"), appear}},
        {QStringLiteral("Google Meet"),
         {join, QStringLiteral("Click \"Turn on captions\" (CC) at the bottom of the screen"), appear}},
    };
}

} // namespace velmora
