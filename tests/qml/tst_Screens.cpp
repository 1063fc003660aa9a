#include "QmlTestSetup.h"

#include <QApplication>
#include <QtQuickTest>

// Charts and the controls need a QApplication, which QUICK_TEST_MAIN does not make.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QmlTestSetup setup;
    return quick_test_main_with_setup(argc, argv, "tst_Screens", QUICK_TEST_SOURCE_DIR, &setup);
}
