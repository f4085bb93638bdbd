#include "capture/Logging.h"

Q_LOGGING_CATEGORY(lcSession, "velmora.session")
Q_LOGGING_CATEGORY(lcWriter, "velmora.writer")
