#include <QGuiApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

// For test programs that lay out text (fonts need a QGuiApplication). Linked into such a program,
// this main takes the place of the one in the fakes library. No display: the offscreen platform.
int main(int argc, char** argv) {
    qputenv("QT_NO_GLIB", "1");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
