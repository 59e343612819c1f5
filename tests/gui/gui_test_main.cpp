// Entry point of the GUI test executable: one QApplication for all tests.
#include <QApplication>

#include <clocale>

#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    // Test discovery runs this binary during the build, often with no display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Vextal"));
    QApplication::setOrganizationName(QStringLiteral("Corvanta Software"));

    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
