// Runs the test class named by the first argument, or every class of the executable without one.
#include "TestRegistry.h"

#include <QTest>

#include <vector>

#ifdef DICTRAVA_TEST_GUI
#include <QApplication>
#include <QtQml/qqmlextensionplugin.h>
Q_IMPORT_QML_PLUGIN(DictravaPlugin)
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char *argv[])
{
    std::vector<char *> arguments(argv, argv + argc);
    std::string only;
    if (argc > 1 && TestRegistry::classes().contains(argv[1])) {
        only = argv[1];
        arguments.erase(arguments.begin() + 1);
    }
    int count = int(arguments.size());
    TestApplication app(count, arguments.data());
#ifdef DICTRAVA_TEST_GUI
    app.setAttribute(Qt::AA_Use96Dpi, true);
#endif
    int failures = 0;
    for (const auto &[name, make] : TestRegistry::classes()) {
        if (!only.empty() && name != only)
            continue;
        const std::unique_ptr<QObject> test = make();
        failures += QTest::qExec(test.get(), count, arguments.data());
    }
    return failures;
}
