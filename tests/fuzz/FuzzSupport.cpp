#include "FuzzSupport.h"

#include <QtGlobal>

// Parsers log what they reject; at thousands of inputs a second that is only noise.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qputenv("QT_NO_GLIB", "1");
    qputenv("TZ", "UTC");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}
