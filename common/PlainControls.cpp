#include "PlainControls.h"

#include <QHeaderView>
#include <QLayout>
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

void fitSentences(QWidget &window, std::initializer_list<QLabel *> sentences)
{
    for (QLabel *label : sentences) {
        const QMargins margins = label->parentWidget()->layout()->contentsMargins();
        const int width = window.width() - margins.left() - margins.right();
        label->setMinimumHeight(label->text().isEmpty() ? 0 : label->heightForWidth(width));
    }
    window.layout()->activate();
    const int needed = window.minimumSizeHint().height();
    if (window.height() < needed)
        window.resize(window.width(), needed);
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
