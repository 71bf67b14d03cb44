#include <gtest/gtest.h>

#include <string>

#include "app/ExitHooks.h"

namespace {

std::string gCalls;

void hookA() { gCalls += 'A'; }
void hookB() { gCalls += 'B'; }
void hookC() { gCalls += 'C'; }

TEST(ExitHooks, RunOnceEachInRegistrationOrderAndIgnoreSecondRegistrations) {
    gCalls.clear();
    registerExitHook(&hookB);
    registerExitHook(&hookA);
    registerExitHook(&hookB);
    registerExitHook(&hookC);
    registerExitHook(&hookA);
    registerExitHook(nullptr);
    runExitHooks();
    EXPECT_EQ(gCalls, "BAC");

    runExitHooks();
    EXPECT_EQ(gCalls, "BAC") << "a second run at program end runs nothing again";
}

}  // namespace
