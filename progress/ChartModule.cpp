#include "ChartModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLibrary>

namespace {

QString refused(const QString &why)
{
    return QStringLiteral("The chart cannot be shown: %1.").arg(why);
}

// The module of the given file, loaded now. A module
// refused is left loaded: nothing of it is called, and unloading code that may have
// registered itself with Qt is not safe.
ChartModule load(const QString &file)
{
    QLibrary library(file);
    if (!library.load())
        return {.missing = refused(QStringLiteral("its module could not be loaded (%1)").arg(library.errorString()))};
    const auto version = reinterpret_cast<ShareChart::Version>(library.resolve(ShareChart::VersionName));
    const auto interfaceNumber =
        reinterpret_cast<ShareChart::InterfaceNumber>(library.resolve(ShareChart::InterfaceName));
    if (!version || !interfaceNumber)
        return {.missing = refused(QStringLiteral("its module %1 does not say which version of Bimbala it was built for")
                                       .arg(library.fileName()))};
    const QString built = QString::fromUtf8(version());
    if (built != QStringLiteral(BIMBALA_VERSION) || interfaceNumber() != ShareChart::Interface)
        return {.missing = refused(QStringLiteral("its module %1 was built for Bimbala %2 (chart interface %3), "
                                                  "not for this Bimbala %4 (chart interface %5)")
                                       .arg(library.fileName(), built)
                                       .arg(interfaceNumber())
                                       .arg(QStringLiteral(BIMBALA_VERSION))
                                       .arg(ShareChart::Interface))};
    ChartModule found;
    found.make = reinterpret_cast<ShareChart::Make>(library.resolve(ShareChart::MakeName));
    found.show = reinterpret_cast<ShareChart::Show>(library.resolve(ShareChart::ShowName));
    if (!found.make || !found.show)
        return {.missing = refused(
                    QStringLiteral("its module %1 lacks the chart itself (%2)").arg(library.fileName(), library.errorString()))};
    return found;
}

} // namespace

QWidget *ChartModule::makeView(QWidget *parent) const
{
    if (make)
        return make(parent);
    auto *label = new QLabel(missing, parent);
    label->setTextFormat(Qt::PlainText);
    // The loader's message names a file and can be long.
    label->setWordWrap(true);
    return label;
}

const ChartModule &chartModule()
{
    // BIMBALA_CHART_FROM_PROGRAM is relative (../lib/<arch>/bimbala), computed by CMake
    // from the install folders; the build tree lays the program and module out alike.
    static const ChartModule module = load(QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                                           QStringLiteral("/" BIMBALA_CHART_FROM_PROGRAM "/bimbala-chart.so")));
    return module;
}
