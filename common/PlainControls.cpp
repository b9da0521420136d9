#include "PlainControls.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>

namespace PlainControls {

QLabel *label(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel *sentence(const QString &name, QWidget *parent)
{
    QLabel *said = label({}, parent);
    said->setObjectName(name);
    said->setWordWrap(true);
    return said;
}

QTableWidget *readOnlyTable(const QString &name, const QString &accessibleName, QWidget *parent)
{
    auto *table = new QTableWidget(parent);
    table->setObjectName(name);
    table->setAccessibleName(accessibleName);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setTabKeyNavigation(false);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return table;
}

} // namespace PlainControls
