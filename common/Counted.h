#pragma once

#include <QCoreApplication>
#include <QString>

// A sentence that counts something. English has one form for exactly one and another for
// every other count, and with no translation loaded Qt only puts the number in for %n; so
// the English is written twice, `one` and `many`, each a whole sentence. Each is a numerus
// message of its own (mark both with QT_TRANSLATE_N_NOOP), so that a language with more
// forms, or with another rule for 0, gives all its forms in either.
inline QString counted(const char *context, const char *one, const char *many, int n)
{
    return QCoreApplication::translate(context, n == 1 ? one : many, nullptr, n);
}
