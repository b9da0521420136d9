#pragma once

#include "ImportReport.h"

#include <QByteArray>
#include <QString>

namespace Import {

// A KVTML file may be at most this big, with at most this many entries.
inline constexpr qint64 MostKvtmlBytes = 20 * 1024 * 1024;
inline constexpr int MostEntries = 50'000;

// A KVTML 2.0 vocabulary (UTF-8) as a drill from one of its languages to Hungarian (its
// identifier whose locale is hu): `fromLanguage` names the other by its locale or name;
// empty, the first that is not Hungarian. A stranger's file: no document type of its own,
// no entities, nothing loaded from elsewhere, nesting and attributes within bounds.
Imported kvtml(const QByteArray &bytes, const QString &fromLanguage = {});

} // namespace Import
