#pragma once

#include <QLoggingCategory>

// The logging categories of summary, "velmora.<component>".
Q_DECLARE_LOGGING_CATEGORY(lcSummary)
Q_DECLARE_LOGGING_CATEGORY(lcExport)
