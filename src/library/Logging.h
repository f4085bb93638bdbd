#pragma once

#include <QLoggingCategory>

// The logging categories of library, "velmora.<component>".
Q_DECLARE_LOGGING_CATEGORY(lcHistory)
Q_DECLARE_LOGGING_CATEGORY(lcNotes)
