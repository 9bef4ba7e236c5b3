#include <QCoreApplication>
#include <gtest/gtest.h>

// Worker, thread and option tests need an application object, as the program has.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
