#include <QApplication>
#include <gmock/gmock.h>

// One offscreen QApplication for the whole test program, so GUI tests can create
// widgets; core tests simply never touch it.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleMock(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
