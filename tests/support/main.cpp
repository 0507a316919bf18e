// Test entry: a real QApplication (offscreen), the host framework initialised, and the scripted
// dialog service installed so that nothing modal can block a test.
#include "support/TestEnv.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    TestEnv::initialise();
    return RUN_ALL_TESTS();
}
