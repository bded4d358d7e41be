// Entry point of the test programs that show widgets, on the offscreen
// platform unless another display is chosen.
#include <QApplication>

#include "support/test_env.h"

int main(int argc, char** argv)
{
    testenv::isolateProcess(argc, argv);
    QApplication app(argc, argv);
    return testenv::runAllTests();
}
