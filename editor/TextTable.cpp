#include "TextTable.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSignalBlocker>

#include <algorithm>
#include <set>

TextTable::TextTable(const QStringList &columns, QWidget *parent) : QTableWidget(parent)
{
    setColumnCount(int(columns.size()));
    setHorizontalHeaderLabels(columns);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    connect(this, &QTableWidget::itemChanged, this, [this] {
        if (!showing)
            tell();
    });
}

void TextTable::show(const Rows &shown)
{
    if (shown == rows())
        return;
    showing = true;
    setRowCount(int(shown.size()));
    for (int row = 0; row < int(shown.size()); ++row) {
        for (int column = 0; column < columnCount(); ++column) {
            const QString text = shown[std::size_t(row)].value(column);
            if (QTableWidgetItem *cell = item(row, column))
                cell->setText(text);
            else
                setItem(row, column, new QTableWidgetItem(text));
        }
    }
    showing = false;
}

TextTable::Rows TextTable::rows() const
{
    Rows all;
    for (int row = 0; row < rowCount(); ++row) {
        QStringList fields;
        for (int column = 0; column < columnCount(); ++column)
            fields << (item(row, column) ? item(row, column)->text() : QString());
        all.push_back(fields);
    }
    return all;
}

void TextTable::tell()
{
    if (edited)
        edited(rows());
}

void TextTable::addRow()
{
    Rows all = rows();
    const int at = currentRow() < 0 ? int(all.size()) : currentRow() + 1;
    all.insert(all.begin() + at, QStringList());
    if (edited)
        edited(all);
    setCurrentCell(at, 0);
}

void TextTable::removeSelectedRows()
{
    std::set<int> chosen;
    for (const QModelIndex &index : selectionModel()->selectedIndexes())
        chosen.insert(index.row());
    if (chosen.empty() && currentRow() >= 0)
        chosen.insert(currentRow());
    Rows all = rows();
    for (auto row = chosen.rbegin(); row != chosen.rend(); ++row)
        all.erase(all.begin() + *row);
    if (edited && !chosen.empty())
        edited(all);
}

void TextTable::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste) && state() != QAbstractItemView::EditingState) {
        paste();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

// Rows of a spreadsheet, a tab between fields: each row of the paste fills a row from the
// cell the paste lands on, rows added as needed.
void TextTable::paste()
{
    const QString text = QApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    QStringList lines = text.split(u'\n');
    for (QString &line : lines)
        line.remove(u'\r');
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    Rows all = rows();
    const int firstRow = std::max(0, currentRow()), firstColumn = std::max(0, currentColumn());
    for (int k = 0; k < int(lines.size()); ++k) {
        const std::size_t row = std::size_t(firstRow + k);
        if (row >= all.size())
            all.resize(row + 1);
        QStringList &fields = all[row];
        const QStringList pasted = lines[k].split(u'\t');
        for (int c = 0; c < int(pasted.size()) && firstColumn + c < columnCount(); ++c) {
            while (fields.size() <= firstColumn + c)
                fields << QString();
            fields[firstColumn + c] = pasted[c].trimmed();
        }
    }
    if (edited)
        edited(all);
}
