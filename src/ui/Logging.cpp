#include "ui/Logging.h"

Q_LOGGING_CATEGORY(lcWindow, "velmora.window")
