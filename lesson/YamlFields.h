#pragma once

#include "LessonProblem.h"

#include <yaml-cpp/yaml.h>

#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Where the problems of one file are collected, and the bound on how much of a
// file is read: a file that names the same part again and again (YAML aliases)
// must not make the reader walk it for ever. Problems are kept at their byte
// offsets in the file and given lines and character columns once, at the end.
class YamlReport
{
public:
    explicit YamlReport(QString file) : fileName(std::move(file)) {}

    void problem(const YAML::Mark &at, const QString &message) { problem(at.pos, message); }
    // At byte `offset` of the file (a negative one: its start).
    void problem(int offset, const QString &message) { found.push_back({offset, message, false}); }
    void warning(int offset, const QString &message) { found.push_back({offset, message, true}); }
    // False once the file has been walked far enough to be too big a lesson.
    bool visit(const YAML::Node &node);
    bool hasProblems() const;
    // What was found in `source` (the bytes read), in the order of the file.
    LessonProblems problems(const QByteArray &source) const;
    const QString &file() const { return fileName; }

private:
    struct Found
    {
        int offset;
        QString message;
        bool warning;
    };
    QString fileName;
    std::vector<Found> found;
    long visits = 0;
    bool tooBig = false;
};

// The keys of one YAML mapping, taken one by one as the reader knows them; what
// is left over is reported as unknown, so a misspelt key is never ignored.
class YamlFields
{
public:
    // `what` names the mapping in messages ("the lesson", "exercise 1a").
    YamlFields(const YAML::Node &node, YamlReport &report, QString what);
    ~YamlFields();
    YamlFields(const YamlFields &) = delete;
    YamlFields &operator=(const YamlFields &) = delete;

    bool valid() const { return isMap; }
    const YAML::Node &node() const { return map; }

    // Text: a scalar, trimmed of nothing, NFC as it stands. Required ones report their absence.
    std::optional<QString> text(const char *key, bool required = true);
    QString text(const char *key, const QString &fallback);
    std::optional<int> number(const char *key, bool required, int lowest, int highest);
    std::optional<double> real(const char *key, bool required, double lowest, double highest);
    // A list: its items, or nothing (reported when required or not a list).
    std::optional<std::vector<YAML::Node>> list(const char *key, bool required = true);
    std::optional<QStringList> texts(const char *key, bool required = true);
    // A mapping for a YamlFields of its own.
    std::optional<YAML::Node> mapping(const char *key, bool required = true);
    bool has(const char *key) const;
    // Where the key's value is, or the mapping's own place when it is absent.
    YAML::Mark at(const char *key) const;

    static std::optional<QString> scalar(const YAML::Node &node, YamlReport &report, const QString &what);

private:
    std::optional<YAML::Node> value(const char *key, bool required);
    std::optional<double> measure(const char *key, bool required, double lowest, double highest, bool whole);

    YAML::Node map;
    YamlReport &report;
    QString what;
    bool isMap = false;
    QSet<QString> taken;
};
