#include "ChartModule.h"

#include "common/ProgramModule.h"

#include <QLabel>

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
    static const ChartModule chart = [] {
        const ProgramModule module("bimbala-chart", "chart", ShareChart::Interface,
                                   {ShareChart::MakeName, ShareChart::ShowName, ShareChart::ShowCountsName});
        if (!module.missing().isEmpty())
            return ChartModule{.missing = QStringLiteral("The chart cannot be shown: %1.").arg(module.missing())};
        return ChartModule{.make = module.function<ShareChart::Make>(0),
                           .show = module.function<ShareChart::Show>(1),
                           .showCounts = module.function<ShareChart::ShowCounts>(2),
                           .missing = {}};
    }();
    return chart;
}
