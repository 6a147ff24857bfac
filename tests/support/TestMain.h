#pragma once

#include "OVApplication.h"

#include <QStandardPaths>
#include <QtTest>

// Runs a test class under the real application object. Test mode keeps the
// profiles file and logs out of the user's own data directory.
#define ORV_TEST_MAIN(TestObject)                                  \
    int main(int argc, char **argv)                                \
    {                                                              \
        QStandardPaths::setTestModeEnabled(true);                  \
        OVApplication app(argc, argv);                             \
        TestObject tc;                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                 \
        return QTest::qExec(&tc, argc, argv);                      \
    }
