#include "Exercise.h"

QString goToCaption(Exercise exercise)
{
    static const std::array<QString, 8> captions{
        QStringLiteral("1&a"), QStringLiteral("1&b"), QStringLiteral("1&c"), QStringLiteral("&2"),
        QStringLiteral("&3"),  QStringLiteral("&4"),  QStringLiteral("&5"),  QStringLiteral("&6"),
    };
    return captions[std::size_t(indexOf(exercise))];
}

QString exerciseCode(Exercise exercise)
{
    return goToCaption(exercise).remove(u'&');
}
