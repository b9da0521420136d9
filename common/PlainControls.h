#pragma once

#include <QString>

class QLabel;
class QTableWidget;
class QWidget;

// Controls of the windows laid out by Qt's layouts (Progress, Class, Class report),
// made the same way in each.
namespace PlainControls {

// A label whose text is shown as it stands, never read as markup (it may hold a
// learner's answer or a server's words).
QLabel *label(const QString &text, QWidget *parent);
// The same, wrapping, for a sentence the program says; empty until it has one.
QLabel *sentence(const QString &name, QWidget *parent);
// A table to read, not to edit, whose columns fit their contents; Tab leaves it.
QTableWidget *readOnlyTable(const QString &name, const QString &accessibleName, QWidget *parent);

} // namespace PlainControls
