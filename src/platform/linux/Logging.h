#pragma once

#include <QLoggingCategory>

// The logging categories of the Linux platform, "velmora.<component>".
Q_DECLARE_LOGGING_CATEGORY(lcAtspi)
Q_DECLARE_LOGGING_CATEGORY(lcDesktop)
