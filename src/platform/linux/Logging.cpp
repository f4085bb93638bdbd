#include "platform/linux/Logging.h"

Q_LOGGING_CATEGORY(lcAtspi, "velmora.atspi")
Q_LOGGING_CATEGORY(lcDesktop, "velmora.desktop")
