#include "DesignFont.h"

#include <QStringList>

void InstallFontSubstitutions()
{
    const QStringList sans{QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("DejaVu Sans"),
                           QStringLiteral("Sans Serif")};
    const QStringList serif{QStringLiteral("Liberation Serif"), QStringLiteral("Tinos"), QStringLiteral("DejaVu Serif"),
                            QStringLiteral("Serif")};
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), sans);
    QFont::insertSubstitutions(QStringLiteral("Arial"), sans);
    QFont::insertSubstitutions(QStringLiteral("MS Serif"), serif);
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"), serif);
}

QFont DesignFont(const QString &family, qreal pointSize, bool bold, bool italic)
{
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}
