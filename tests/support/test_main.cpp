// One application object for the whole test run: the serial backend needs it.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    // No test writes into the user's own history unless it names a history itself; the command
    // lines the tests start inherit this.
    if (qEnvironmentVariableIsEmpty("KAVRIN_HISTORY")) {
        qputenv("KAVRIN_HISTORY", "none");
    }
    const QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
