#include "YamlFields.h"

#include "common/Counted.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

// A lesson of 10,000 items has some 100,000 nodes; far beyond that the file is no lesson.
constexpr long MostVisits = 2'000'000;
constexpr int MostShown = 100;

QString nameOf(const YAML::Node &node)
{
    return node.IsScalar() ? QString::fromStdString(node.Scalar()) : QString();
}

// How many edits make `a` into `b`: a letter left out, added or changed, or two letters
// side by side swapped ("heigth"), each one edit.
qsizetype editsBetween(const QString &a, const QString &b)
{
    // Three rows of the table: two rows back (for a swap), the last, and this one.
    std::vector<qsizetype> twoBack(std::size_t(b.size() + 1)), last(twoBack.size()), row(twoBack.size());
    for (qsizetype j = 0; j <= b.size(); ++j)
        last[std::size_t(j)] = j;
    for (qsizetype i = 1; i <= a.size(); ++i) {
        row[0] = i;
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const auto at = std::size_t(j);
            const qsizetype changed = a.at(i - 1) == b.at(j - 1) ? 0 : 1;
            row[at] = std::min({last[at] + 1, row[at - 1] + 1, last[at - 1] + changed});
            if (i > 1 && j > 1 && a.at(i - 1) == b.at(j - 2) && a.at(i - 2) == b.at(j - 1))
                row[at] = std::min(row[at], twoBack[at - 2] + 1);
        }
        std::swap(twoBack, last);
        std::swap(last, row);
    }
    return last[std::size_t(b.size())];
}

// The key a misspelt one was meant to be: of the known keys the mapping lacks, the one
// fewest edits away, when it is the only one that near and at most two edits away (one
// for a key of up to four letters, where two edits would make most keys near).
QString meantKey(const QString &key, const QSet<QString> &known, const QSet<QString> &given)
{
    const qsizetype most = key.size() <= 4 ? 1 : 2;
    QString nearest;
    qsizetype fewest = most + 1;
    bool tied = false;
    for (const QString &candidate : known) {
        // A key further off in length is further off in edits too.
        if (given.contains(candidate) || std::abs(candidate.size() - key.size()) > most)
            continue;
        const qsizetype edits = editsBetween(key, candidate);
        if (edits < fewest) {
            nearest = candidate;
            fewest = edits;
            tied = false;
        } else if (edits == fewest) {
            tied = true;
        }
    }
    return tied ? QString() : nearest;
}

} // namespace

bool YamlReport::hasProblems() const
{
    return std::any_of(found.begin(), found.end(), [](const Found &one) { return !one.warning; });
}

LessonProblems YamlReport::problems(const QByteArray &source) const
{
    std::vector<const Found *> ordered;
    for (const Found &one : found)
        ordered.push_back(&one);
    std::stable_sort(ordered.begin(), ordered.end(), [](const Found *a, const Found *b) { return a->offset < b->offset; });
    // As compilers do, the first problems only: a file of a thousand has a few slips repeated.
    // (Warnings are few already: each unknown word is said once.)
    Found more{0, QString(), false};
    std::size_t errors = 0;
    for (auto it = ordered.begin(); it != ordered.end(); ++it) {
        if ((*it)->warning || ++errors <= std::size_t(MostShown))
            continue;
        const auto hidden = std::count_if(it, ordered.end(), [](const Found *one) { return !one->warning; });
        more = {(*it)->offset,
                counted("YamlFields", QT_TRANSLATE_N_NOOP("YamlFields", "%n more problem from here on is not shown"),
                        QT_TRANSLATE_N_NOOP("YamlFields", "%n more problems from here on are not shown"), int(hidden)),
                false};
        ordered.erase(std::remove_if(it, ordered.end(), [](const Found *one) { return !one->warning; }), ordered.end());
        ordered.push_back(&more);
        std::stable_sort(ordered.begin(), ordered.end(), [](const Found *a, const Found *b) { return a->offset < b->offset; });
        break;
    }
    // One sweep through the file: a line is counted at each line feed, a column at each
    // character (every byte that does not continue a UTF-8 sequence), as editors count.
    LessonProblems result;
    int line = 1;
    int column = 1;
    qsizetype at = 0;
    for (const Found *one : ordered) {
        for (const qsizetype end = std::min<qsizetype>(one->offset, source.size()); at < end; ++at) {
            const char byte = source.at(at);
            if (byte == '\n') {
                ++line;
                column = 1;
            } else if ((byte & 0xC0) != 0x80) {
                ++column;
            }
        }
        result.push_back({fileName, line, column, one->message, one->warning});
    }
    return result;
}

bool YamlReport::visit(const YAML::Node &node)
{
    if (tooBig)
        return false;
    if (++visits <= MostVisits)
        return true;
    tooBig = true;
    problem(node.Mark(), QStringLiteral("the file names more parts than a lesson can have (repeated aliases?)"));
    return false;
}

YamlFields::YamlFields(const YAML::Node &node, YamlReport &report, QString what)
    : map(node), report(report), what(std::move(what)), isMap(node.IsMap())
{
    if (!isMap)
        report.problem(node.Mark(), QStringLiteral("%1 must be a mapping of keys and values").arg(this->what));
}

YamlFields::~YamlFields()
{
    if (!isMap)
        return;
    QSet<QString> given;
    std::vector<std::pair<QString, YAML::Mark>> unknown;
    for (auto it = map.begin(); it != map.end(); ++it) {
        if (!report.visit(it->first))
            return;
        const QString key = nameOf(it->first);
        given.insert(key);
        if (!taken.contains(key))
            unknown.emplace_back(key, it->first.Mark());
    }
    for (const auto &[key, at] : unknown) {
        if (const QString meant = meantKey(key, taken, given); !meant.isEmpty())
            report.problem(at, QCoreApplication::translate("YamlFields", "unknown key \"%1\" in %2: did you mean \"%3\"?")
                                   .arg(key, what, meant));
        else
            report.problem(at, QCoreApplication::translate("YamlFields", "unknown key \"%1\" in %2").arg(key, what));
    }
}

bool YamlFields::has(const char *key) const
{
    return isMap && map[key].IsDefined() && !map[key].IsNull();
}

YAML::Mark YamlFields::at(const char *key) const
{
    return has(key) ? map[key].Mark() : map.Mark();
}

std::optional<YAML::Node> YamlFields::value(const char *key, bool required)
{
    taken.insert(QString::fromUtf8(key));
    if (!isMap)
        return std::nullopt;
    const YAML::Node found = std::as_const(map)[key];
    if (!found.IsDefined() || found.IsNull()) {
        if (required)
            report.problem(map.Mark(), QStringLiteral("%1 has no \"%2\"").arg(what, QString::fromUtf8(key)));
        return std::nullopt;
    }
    if (!report.visit(found))
        return std::nullopt;
    return found;
}

std::optional<QString> YamlFields::scalar(const YAML::Node &node, YamlReport &report, const QString &what)
{
    if (!node.IsScalar()) {
        report.problem(node.Mark(), QStringLiteral("%1 must be text").arg(what));
        return std::nullopt;
    }
    // Compared with what learners type, which is NFC too.
    return QString::fromStdString(node.Scalar()).normalized(QString::NormalizationForm_C);
}

std::optional<QString> YamlFields::text(const char *key, bool required)
{
    const std::optional<YAML::Node> found = value(key, required);
    if (!found)
        return std::nullopt;
    return scalar(*found, report, QStringLiteral("\"%1\" of %2").arg(QString::fromUtf8(key), what));
}

QString YamlFields::text(const char *key, const QString &fallback)
{
    return text(key, false).value_or(fallback);
}

std::optional<int> YamlFields::number(const char *key, bool required, int lowest, int highest)
{
    const std::optional<double> value = measure(key, required, lowest, highest, true);
    return value ? std::optional<int>(int(*value)) : std::nullopt;
}

std::optional<double> YamlFields::real(const char *key, bool required, double lowest, double highest)
{
    return measure(key, required, lowest, highest, false);
}

std::optional<double> YamlFields::measure(const char *key, bool required, double lowest, double highest, bool whole)
{
    const std::optional<QString> written = text(key, required);
    if (!written)
        return std::nullopt;
    bool ok = false;
    const double value = written->toDouble(&ok);
    // "nan" and "inf" read as numbers too, and nan passes every comparison.
    if (!ok || !std::isfinite(value) || value < lowest || value > highest || (whole && value != std::trunc(value))) {
        report.problem(std::as_const(map)[key].Mark(), QStringLiteral("\"%1\" of %2 must be a %3 from %4 to %5")
                                                           .arg(QString::fromUtf8(key), what,
                                                                whole ? QStringLiteral("whole number")
                                                                      : QStringLiteral("number"))
                                                           .arg(lowest)
                                                           .arg(highest));
        return std::nullopt;
    }
    return value;
}

std::optional<std::vector<YAML::Node>> YamlFields::list(const char *key, bool required)
{
    const std::optional<YAML::Node> found = value(key, required);
    if (!found)
        return std::nullopt;
    if (!found->IsSequence()) {
        report.problem(found->Mark(), QStringLiteral("\"%1\" of %2 must be a list").arg(QString::fromUtf8(key), what));
        return std::nullopt;
    }
    std::vector<YAML::Node> items;
    for (const YAML::Node &item : *found) {
        if (!report.visit(item))
            return std::nullopt;
        items.push_back(item);
    }
    return items;
}

std::optional<QStringList> YamlFields::texts(const char *key, bool required)
{
    const std::optional<std::vector<YAML::Node>> items = list(key, required);
    if (!items)
        return std::nullopt;
    QStringList result;
    for (const YAML::Node &item : *items) {
        const std::optional<QString> one = scalar(item, report, QStringLiteral("an entry of \"%1\"").arg(QString::fromUtf8(key)));
        if (!one)
            return std::nullopt;
        result << *one;
    }
    return result;
}

std::optional<YAML::Node> YamlFields::mapping(const char *key, bool required)
{
    return value(key, required);
}
