#pragma once

#include <QLoggingCategory>

// Where the program says what went wrong, for an administrator reading the journal:
// every failure a learner or teacher is told of is also logged under one of these.
// Warnings are on by default; information and debugging are off unless enabled
// (QT_LOGGING_RULES="bimbala.*.info=true").
Q_DECLARE_LOGGING_CATEGORY(logRecord)  // bimbala.record: the progress file
Q_DECLARE_LOGGING_CATEGORY(logClass)   // bimbala.class: the class server and its sync
Q_DECLARE_LOGGING_CATEGORY(logLesson)  // bimbala.lesson: lesson files
Q_DECLARE_LOGGING_CATEGORY(logSpeech)  // bimbala.speech: the speech service
Q_DECLARE_LOGGING_CATEGORY(logReview)  // bimbala.review: the review of due items
Q_DECLARE_LOGGING_CATEGORY(logProgram) // bimbala.program: modules, settings, start-up
