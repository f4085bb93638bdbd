#pragma once

#include <QLoggingCategory>

// The logging categories of capture, "velmora.<component>".
Q_DECLARE_LOGGING_CATEGORY(lcSession)
Q_DECLARE_LOGGING_CATEGORY(lcWriter)
