#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include "platform/jet_reader.h"

int main(int argc, char** argv)
{
    // Nothing under test may open a real window.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QUILMO"));
    // The tests run from a folder of their own, not beside the program.
    setJetReaderProgram(QStringLiteral(QUILMO_JET_READER));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
