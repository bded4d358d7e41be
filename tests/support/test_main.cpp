// Entry point of the core test programs: Qt Core only, no window system.
#include <QCoreApplication>

#include "support/test_env.h"

int main(int argc, char** argv)
{
    testenv::isolateProcess(argc, argv);
    QCoreApplication app(argc, argv);
    return testenv::runAllTests();
}
