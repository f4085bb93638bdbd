#include "library/search/Logging.h"

Q_LOGGING_CATEGORY(lcSearch, "velmora.search")
