#pragma once

#include <QFont>
#include <QString>

// The windows were designed with MS Sans Serif, Arial, MS Serif and Times New Roman.
// Map them to metric-compatible families this machine has.
void InstallFontSubstitutions();

QFont DesignFont(const QString &family, qreal pointSize, bool bold = false, bool italic = false);
