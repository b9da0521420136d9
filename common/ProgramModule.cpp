#include "ProgramModule.h"

#include "Logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

ProgramModule::ProgramModule(const char *name, const char *interfaceName, int interfaceNumber,
                             std::initializer_list<const char *> functions)
{
    load(name, interfaceName, interfaceNumber, functions);
    // What the learner is told of a module refused, in the journal too; a command line's own
    // output says it already (`--check` runs before there is an application).
    if (!why.isEmpty() && QCoreApplication::instance())
        qCWarning(logProgram, "%s: %s", name, qUtf8Printable(why));
}

void ProgramModule::load(const char *name, const char *interfaceName, int interfaceNumber,
                         std::initializer_list<const char *> functions)
{
    // BIMBALA_MODULES_FROM_PROGRAM is relative (../lib/<arch>/bimbala), computed by CMake
    // from the install folders; the build tree lays the program and modules out alike.
    // A module refused is left loaded: nothing of it is called, and unloading code that
    // may have registered itself with Qt is not safe.
    // The program's folder from the system, not from QCoreApplication: `--check` reads
    // lessons before there is one.
    const QString programFolder = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    QLibrary library(QDir::cleanPath(programFolder +
                                     QStringLiteral("/" BIMBALA_MODULES_FROM_PROGRAM "/%1.so").arg(QLatin1String(name))));
    if (!library.load()) {
        why = QStringLiteral("its module could not be loaded (%1)").arg(library.errorString());
        return;
    }
    using Version = const char *(*)();
    using InterfaceNumber = int (*)();
    const auto version = reinterpret_cast<Version>(library.resolve("bimbala_module_version"));
    const auto number = reinterpret_cast<InterfaceNumber>(library.resolve("bimbala_module_interface"));
    if (!version || !number) {
        why = QStringLiteral("its module %1 does not say which version of Bimbala it was built for").arg(library.fileName());
        return;
    }
    const QString built = QString::fromUtf8(version());
    if (built != QStringLiteral(BIMBALA_VERSION) || number() != interfaceNumber) {
        why = QStringLiteral("its module %1 was built for Bimbala %2 (%3 interface %4), not for this Bimbala %5 (%3 interface %6)")
                  .arg(library.fileName(), built, QLatin1String(interfaceName))
                  .arg(number())
                  .arg(QStringLiteral(BIMBALA_VERSION))
                  .arg(interfaceNumber);
        return;
    }
    for (const char *function : functions) {
        resolved.push_back(library.resolve(function));
        if (!resolved.back()) {
            why = QStringLiteral("its module %1 lacks %2 (%3)").arg(library.fileName(), QLatin1String(function), library.errorString());
            return;
        }
    }
}
