#pragma once

#include <QLoggingCategory>

// The logging category of the windows, "velmora.window".
Q_DECLARE_LOGGING_CATEGORY(lcWindow)
