#pragma once

#include <QtGlobal>
#include <QString>

#include <initializer_list>
#include <vector>

// A part of the program kept in a module of its own (the chart, the lesson reader),
// loaded when first needed, so that start-up does not load the libraries it brings.
// A module is looked for in one place only, at a path relative to the program's own
// folder that is the same in the build tree and once installed (bin/ and
// lib/<arch>/bimbala/), so that no folder of the machine that built the program can
// hand it a module. A module built for another version or interface is refused.
class ProgramModule
{
public:
    // Loads <name>.so now and resolves `functions`; `interfaceName` names its interface
    // in what the learner is told ("chart interface 1").
    ProgramModule(const char *name, const char *interfaceName, int interfaceNumber,
                  std::initializer_list<const char *> functions);

    // Empty when loaded; otherwise why not, a clause: "its module … could not be loaded (…)".
    const QString &missing() const { return why; }
    // The n-th of the functions asked for; null while the module is missing.
    template <typename Function>
    Function function(std::size_t n) const
    {
        return why.isEmpty() ? reinterpret_cast<Function>(resolved[n]) : nullptr;
    }

private:
    void load(const char *name, const char *interfaceName, int interfaceNumber, std::initializer_list<const char *> functions);

    QString why;
    std::vector<QFunctionPointer> resolved;
};

// What every module exports besides its own functions: the program's version it was
// built with and the number of its interface, raised whenever its functions change.
// These two never change their form.
#define BIMBALA_MODULE_IDENTITY(interfaceNumber)                                                                       \
    extern "C" Q_DECL_EXPORT const char *bimbala_module_version() { return BIMBALA_VERSION; }                          \
    extern "C" Q_DECL_EXPORT int bimbala_module_interface() { return interfaceNumber; }
