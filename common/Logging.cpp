#include "Logging.h"

// Quiet by default for information: only warnings and worse reach the journal.
Q_LOGGING_CATEGORY(logRecord, "bimbala.record", QtWarningMsg)
Q_LOGGING_CATEGORY(logClass, "bimbala.class", QtWarningMsg)
Q_LOGGING_CATEGORY(logLesson, "bimbala.lesson", QtWarningMsg)
Q_LOGGING_CATEGORY(logSpeech, "bimbala.speech", QtWarningMsg)
Q_LOGGING_CATEGORY(logReview, "bimbala.review", QtWarningMsg)
Q_LOGGING_CATEGORY(logProgram, "bimbala.program", QtWarningMsg)
