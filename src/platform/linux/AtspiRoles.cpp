#include "platform/linux/AtspiRoles.h"

#include "sources/AXNames.h"

#include <atspi/atspi.h>

namespace velmora::AtspiRoles {

bool isGroup(AtspiRole role) {
    switch (role) {
    case ATSPI_ROLE_SECTION:
    case ATSPI_ROLE_PANEL:
    case ATSPI_ROLE_LANDMARK:
    case ATSPI_ROLE_GROUPING:
    case ATSPI_ROLE_FORM:
    case ATSPI_ROLE_ARTICLE:
    case ATSPI_ROLE_BLOCK_QUOTE:
    case ATSPI_ROLE_LIST:
    case ATSPI_ROLE_LIST_ITEM:
    case ATSPI_ROLE_LOG:
    case ATSPI_ROLE_PARAGRAPH:
    case ATSPI_ROLE_FILLER:
    case ATSPI_ROLE_HEADER:
    case ATSPI_ROLE_FOOTER:
    case ATSPI_ROLE_STATUS_BAR:
    case ATSPI_ROLE_MARQUEE:
    case ATSPI_ROLE_TIMER:
    case ATSPI_ROLE_DEFINITION:
    case ATSPI_ROLE_DESCRIPTION_LIST:
    case ATSPI_ROLE_DESCRIPTION_TERM:
    case ATSPI_ROLE_DESCRIPTION_VALUE:
    case ATSPI_ROLE_FOOTNOTE:
    case ATSPI_ROLE_COMMENT:
    case ATSPI_ROLE_CONTENT_DELETION:
    case ATSPI_ROLE_CONTENT_INSERTION:
    case ATSPI_ROLE_MARK:
        return true;
    default:
        return false;
    }
}

bool isStaticText(AtspiRole role, bool isLeaf) {
    return role == ATSPI_ROLE_STATIC || role == ATSPI_ROLE_LABEL ||
           (role == ATSPI_ROLE_TEXT && isLeaf);
}

bool isWindow(AtspiRole role) {
    return role == ATSPI_ROLE_FRAME || role == ATSPI_ROLE_WINDOW || role == ATSPI_ROLE_DIALOG;
}

QString axRole(AtspiRole role, bool isLeaf) {
    if (isStaticText(role, isLeaf))
        return AXRole::staticText;
    if (isGroup(role) || role == ATSPI_ROLE_TEXT)
        return AXRole::group;
    switch (role) {
    case ATSPI_ROLE_TABLE:
        return AXRole::table;
    case ATSPI_ROLE_TABLE_ROW:
        return AXRole::row;
    case ATSPI_ROLE_TABLE_CELL:
        return AXRole::cell;
    case ATSPI_ROLE_IMAGE:
        return AXRole::image;
    case ATSPI_ROLE_FRAME:
    case ATSPI_ROLE_WINDOW:
    case ATSPI_ROLE_DIALOG:
        return AXRole::window;
    case ATSPI_ROLE_DOCUMENT_WEB:
        return AXRole::webArea;
    case ATSPI_ROLE_APPLICATION:
        return AXRole::application;
    default:
        break;
    }
    // Anything else keeps its AT-SPI name, spelled as an AX role ("push button" → AXPushButton):
    // readable in logs and never equal to a role the sources compare with.
    gchar* name = atspi_role_get_name(role);
    QString spelled = QStringLiteral("AX");
    for (const QString& word : QString::fromUtf8(name ? name : "unknown").split(QLatin1Char(' '), Qt::SkipEmptyParts))
        spelled += word.left(1).toUpper() + word.mid(1);
    g_free(name);
    return spelled;
}

} // namespace velmora::AtspiRoles
