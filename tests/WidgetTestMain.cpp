#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

// For test programs that build widgets; takes the place of the fakes library's main. No display:
// the offscreen platform, unless the test run asks for another.
int main(int argc, char** argv) {
    qputenv("QT_NO_GLIB", "1");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
