#include "app/Logging.h"

Q_LOGGING_CATEGORY(lcApp, "velmora.app")
Q_LOGGING_CATEGORY(lcNotification, "velmora.notification")
Q_LOGGING_CATEGORY(lcOutputDir, "velmora.output-dir")
Q_LOGGING_CATEGORY(lcRecovery, "velmora.recovery")
