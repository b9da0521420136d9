#pragma once

#include <QStringList>
#include <QTableWidget>

#include <functional>
#include <vector>

// A table of texts a teacher fills in as in a spreadsheet: one row an item, a column a
// field. Rows pasted from a spreadsheet (tab between fields, a line a row) become rows
// from the cell the paste lands on. It says each change as the whole table's texts.
class TextTable final : public QTableWidget
{
    Q_OBJECT

public:
    TextTable(const QStringList &columns, QWidget *parent = nullptr);

    using Rows = std::vector<QStringList>;
    // Shows these rows; the cell being worked on stays where it is when the rows are the same.
    void show(const Rows &rows);
    Rows rows() const;
    void addRow();
    void removeSelectedRows();

    // The table as it stands after the learner's own change.
    std::function<void(const Rows &)> edited;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void paste();
    void tell();
    bool showing = false;
};
