#include "tasks/workers/VkApplication.h"

#include <gtest/gtest.h>

// Worker, thread and option tests need an application object, the program's own.
int main(int argc, char** argv) {
    VkApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
