#include "summary/Logging.h"

Q_LOGGING_CATEGORY(lcSummary, "velmora.summary")
Q_LOGGING_CATEGORY(lcExport, "velmora.export")
