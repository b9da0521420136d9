#pragma once

#include <QString>

// `bimbala --class-report`: the teacher saved in the Class window signs in and the
// report is printed to standard output, without a display. Returns the exit code:
// 0 printed, 1 not (why, in one sentence, on standard error).
int printClassReport(const QString &lesson, bool csv);
