#pragma once

#include <QLoggingCategory>

// The logging categories of app, "velmora.<component>".
Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcNotification)
Q_DECLARE_LOGGING_CATEGORY(lcOutputDir)
Q_DECLARE_LOGGING_CATEGORY(lcRecovery)
