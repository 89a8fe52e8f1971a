#include <gtest/gtest.h>

#include "platform/win32/forms.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    Application->Initialize();
    return RUN_ALL_TESTS();
}
