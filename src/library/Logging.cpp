#include "library/Logging.h"

Q_LOGGING_CATEGORY(lcHistory, "velmora.history")
Q_LOGGING_CATEGORY(lcNotes, "velmora.notes")
