// The main of the application's Qt tests: the profile goes to a folder of the test's own,
// before anything reads it, and the bundled resources are loaded.
#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include "app/app_resources.h"

#define TARVIX_APP_TEST_MAIN(TestClass)                      \
    int main(int argc, char** argv) {                        \
        QTemporaryDir profile;                               \
        qputenv("XDG_CONFIG_HOME", profile.path().toUtf8()); \
        QApplication application(argc, argv);                \
        QApplication::setOrganizationName("Tarvix");         \
        QApplication::setApplicationName("Tarvix");          \
        tarvix::loadAppResources();                          \
        TestClass test;                                      \
        return QTest::qExec(&test, argc, argv);              \
    }
