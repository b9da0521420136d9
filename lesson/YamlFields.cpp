#include "YamlFields.h"

#include <cmath>
#include <utility>

namespace {

// A lesson of 10,000 items has some 100,000 nodes; far beyond that the file is no lesson.
constexpr long MostVisits = 2'000'000;

QString nameOf(const YAML::Node &node)
{
    return node.IsScalar() ? QString::fromStdString(node.Scalar()) : QString();
}

} // namespace

void YamlReport::problem(const YAML::Mark &at, const QString &message)
{
    // Marks count from 0; a missing one (-1) points at the start of the file.
    found.push_back({fileName, std::max(0, at.line) + 1, std::max(0, at.column) + 1, message});
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
    for (auto it = map.begin(); it != map.end(); ++it) {
        if (!report.visit(it->first))
            return;
        const QString key = nameOf(it->first);
        if (!taken.contains(key))
            report.problem(it->first.Mark(), QStringLiteral("unknown key \"%1\" in %2").arg(key, what));
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
    if (!ok || value < lowest || value > highest || (whole && value != std::trunc(value))) {
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
