#pragma once

#include <QLoggingCategory>

// The logging categories of sources, "velmora.<component>".
Q_DECLARE_LOGGING_CATEGORY(lcReader)
Q_DECLARE_LOGGING_CATEGORY(lcZoomReader)
Q_DECLARE_LOGGING_CATEGORY(lcMonitor)
Q_DECLARE_LOGGING_CATEGORY(lcAXHelpers)
Q_DECLARE_LOGGING_CATEGORY(lcBrowserScanner)
Q_DECLARE_LOGGING_CATEGORY(lcBrowserCache)
Q_DECLARE_LOGGING_CATEGORY(lcBrowserMeetReader)
Q_DECLARE_LOGGING_CATEGORY(lcBrowserTeamsReader)
Q_DECLARE_LOGGING_CATEGORY(lcBrowserZoomReader)
