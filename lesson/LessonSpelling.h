#pragma once

#include "LessonFiles.h"
#include "YamlFields.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <QString>

#include <memory>

class Hunspell;

// The Hungarian texts of a lesson (cues, answers, sentences, stories, offers) spelt
// with Debian's Hungarian dictionary (hunspell-hu); the words of the lesson's own
// list (`words:` under `lesson:`) are right too. For `bimbala --check` only: the
// dictionary takes a third of a second to load, and a lesson plays without it.
class LessonSpelling
{
public:
    // `dictionary` without its endings: .aff and .dic are beside each other.
    explicit LessonSpelling(const QString &dictionary = LessonFiles::Dictionary);
    ~LessonSpelling();
    LessonSpelling(const LessonSpelling &) = delete;
    LessonSpelling &operator=(const LessonSpelling &) = delete;

    // Empty when the dictionary is there; otherwise a note that says what is missing.
    const QString &missing() const { return why; }
    // A warning at the first place of each unknown word of the lesson in `root`, read from `source`.
    void check(const YAML::Node &root, const QByteArray &source, YamlReport &report);

private:
    class Walk;
    bool known(const QString &word);
    // The time a lesson may be spelt in is over.
    bool outOfTime() const;

    std::unique_ptr<Hunspell> hunspell;
    QString why;
    QHash<QString, bool> spelt; // every word asked, of any lesson checked
    QSet<QString> ownWords;     // of the lesson being checked
    QElapsedTimer clock;        // since its spelling started
};
