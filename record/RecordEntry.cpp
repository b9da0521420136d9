#include "RecordEntry.h"

#include <algorithm>

namespace {

const QString KindNames[] = {QStringLiteral("answer"), QStringLiteral("run started"), QStringLiteral("run ended")};

} // namespace

QJsonObject RecordEntry::toJson() const
{
    QJsonObject object{{QStringLiteral("kind"), KindNames[int(kind)]},
                       {QStringLiteral("lesson"), lesson},
                       {QStringLiteral("at"), at},
                       {QStringLiteral("day"), day},
                       {QStringLiteral("run"), QString::number(run)}};
    switch (kind) {
    case Kind::Answer:
        object.insert(QStringLiteral("uid"), uid);
        object.insert(QStringLiteral("exercise"), exercise);
        object.insert(QStringLiteral("item"), item);
        object.insert(QStringLiteral("expected"), expected);
        object.insert(QStringLiteral("given"), given);
        object.insert(QStringLiteral("right"), right);
        object.insert(QStringLiteral("solutionShown"), solutionShown);
        object.insert(QStringLiteral("retry"), retry);
        break;
    case Kind::RunStarted:
        object.insert(QStringLiteral("uid"), uid);
        object.insert(QStringLiteral("exercise"), exercise);
        object.insert(QStringLiteral("variant"), variant);
        object.insert(QStringLiteral("person"), person);
        break;
    case Kind::RunEnded:
        object.insert(QStringLiteral("outcome"), outcome);
        break;
    }
    return object;
}

RecordEntry RecordEntry::fromJson(const QJsonObject &object)
{
    RecordEntry entry;
    const QString kind = object.value(QStringLiteral("kind")).toString();
    for (int i = 0; i < 3; ++i) {
        if (kind == KindNames[i])
            entry.kind = Kind(i);
    }
    const auto text = [&object](const char *key) { return object.value(QLatin1String(key)).toString(); };
    entry.lesson = text("lesson");
    entry.at = text("at");
    entry.day = text("day");
    entry.run = text("run").toLongLong();
    entry.uid = text("uid");
    entry.exercise = text("exercise");
    entry.item = text("item");
    entry.expected = text("expected");
    entry.given = text("given");
    entry.right = object.value(QStringLiteral("right")).toBool();
    entry.solutionShown = object.value(QStringLiteral("solutionShown")).toBool();
    entry.retry = object.value(QStringLiteral("retry")).toBool();
    entry.variant = text("variant");
    entry.person = text("person");
    entry.outcome = text("outcome");
    return entry;
}

bool RecordEntry::valid() const
{
    if (at.isEmpty() || day.isEmpty())
        return false;
    // A run's end names only the run: its lesson is the one it was begun in.
    switch (kind) {
    case Kind::Answer: return !lesson.isEmpty() && !uid.isEmpty() && !exercise.isEmpty();
    case Kind::RunStarted: return !lesson.isEmpty() && run != 0 && !exercise.isEmpty();
    case Kind::RunEnded: return run != 0 && !outcome.isEmpty();
    }
    return false;
}

void RecordInbox::put(RecordEntry entry)
{
    const std::lock_guard lock(mutex);
    waiting.emplace_back(std::move(entry));
}

void RecordInbox::hold()
{
    const std::lock_guard lock(mutex);
    waiting.emplace_back(std::nullopt);
}

void RecordInbox::pass()
{
    const std::lock_guard lock(mutex);
    const auto found = std::find(waiting.begin(), waiting.end(), std::nullopt);
    if (found != waiting.end())
        waiting.erase(found);
}

std::vector<RecordEntry> RecordInbox::take()
{
    const std::lock_guard lock(mutex);
    std::vector<RecordEntry> taken;
    while (!waiting.empty() && waiting.front()) {
        taken.push_back(std::move(*waiting.front()));
        waiting.pop_front();
    }
    return taken;
}
