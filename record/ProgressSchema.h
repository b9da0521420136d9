#pragma once

class QSqlDatabase;
class QSqlError;

// The tables of the progress record and how a file of an older version becomes
// one of this version: one step per version, each run once, in order, inside the
// caller's transaction.
namespace ProgressSchema {

inline constexpr int Version = 7;
// The lesson of the rows recorded before answers named their lesson.
inline const char *const FirstLesson = "bimbala-lesson-7";

// Brings the tables from version `from` to version `to` and stamps `to` as the
// file's user_version. No error when it went through.
QSqlError migrate(QSqlDatabase &db, int from, int to = Version);

} // namespace ProgressSchema
