#include "sources/Logging.h"

Q_LOGGING_CATEGORY(lcReader, "velmora.reader")
Q_LOGGING_CATEGORY(lcZoomReader, "velmora.zoom-reader")
Q_LOGGING_CATEGORY(lcMonitor, "velmora.monitor")
Q_LOGGING_CATEGORY(lcAXHelpers, "velmora.ax-helpers")
Q_LOGGING_CATEGORY(lcBrowserScanner, "velmora.browser-scanner")
Q_LOGGING_CATEGORY(lcBrowserCache, "velmora.browser-cache")
Q_LOGGING_CATEGORY(lcBrowserMeetReader, "velmora.browser-meet-reader")
Q_LOGGING_CATEGORY(lcBrowserTeamsReader, "velmora.browser-teams-reader")
Q_LOGGING_CATEGORY(lcBrowserZoomReader, "velmora.browser-zoom-reader")
