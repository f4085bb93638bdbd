#include <QCoreApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

// Tests never touch the user's settings or documents.
int main(int argc, char** argv) {
    qputenv("QT_NO_GLIB", "1");
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
