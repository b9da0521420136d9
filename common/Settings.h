#pragma once

#include <QSettings>

// The learner's settings file, ~/.config/bimbala/bimbala.conf (with the
// administrator's /etc/xdg/bimbala/bimbala.conf beneath it).
inline QSettings programSettings()
{
    return QSettings(QStringLiteral("bimbala"), QStringLiteral("bimbala"));
}
