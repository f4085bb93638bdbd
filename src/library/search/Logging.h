#pragma once

#include <QLoggingCategory>

// The logging category of the search index, "velmora.search".
Q_DECLARE_LOGGING_CATEGORY(lcSearch)
