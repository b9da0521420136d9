#pragma once

#include <QString>

#include <initializer_list>

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
// A window's layout does not ask a wrapping label for its height at a width, so a
// sentence on two lines would squeeze the rows below it: each sentence is told its
// height for the width it has (the window's, but for the margins), and the window
// grows to fit.
void fitSentences(QWidget &window, std::initializer_list<QLabel *> sentences);
// A table to read, not to edit, whose columns fit their contents; Tab leaves it.
QTableWidget *readOnlyTable(const QString &name, const QString &accessibleName, QWidget *parent);

} // namespace PlainControls
