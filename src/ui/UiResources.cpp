#include "ui/UiResources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE names a function declared at global scope.
static void initVelmoraUiResources() { Q_INIT_RESOURCE(velmora_ui); }

namespace velmora::UiResources {

void load() {
    static const bool loaded = (initVelmoraUiResources(), true);
    Q_UNUSED(loaded);
}

} // namespace velmora::UiResources
