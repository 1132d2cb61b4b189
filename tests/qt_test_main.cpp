// Runs the Qt window tests on the offscreen platform, so they need no display. Also set here, not
// only by CTest: test discovery runs this binary at build time without CTest's environment.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
