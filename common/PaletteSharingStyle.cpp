#include "PaletteSharingStyle.h"

#include <QApplication>
#include <QStyleOption>

namespace {

std::size_t colourHash(const QPalette &palette)
{
    // The colour group drawn with (a disabled control draws with the disabled one) counts too.
    std::size_t hash = std::size_t(palette.currentColorGroup());
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const QBrush &brush = palette.brush(QPalette::ColorGroup(group), QPalette::ColorRole(role));
            hash = hash * 31 + brush.color().rgba() + std::size_t(brush.style());
        }
    }
    return hash;
}

// Draws with the option's palette swapped for the shared one, then puts it back:
// the option belongs to the caller, which may use it again.
template<typename Draw>
void withSharedPalette(const PaletteSharingStyle &style, const QStyleOption *option, Draw draw)
{
    if (!option) {
        draw();
        return;
    }
    auto *writable = const_cast<QStyleOption *>(option);
    const QPalette own = writable->palette;
    writable->palette = style.shared(own);
    draw();
    writable->palette = own;
}

} // namespace

PaletteSharingStyle::PaletteSharingStyle() : QProxyStyle(nullptr) {}

const QPalette &PaletteSharingStyle::shared(const QPalette &palette) const
{
    std::vector<QPalette> &same = palettes[colourHash(palette)];
    for (const QPalette &known : same) {
        if (known.currentColorGroup() == palette.currentColorGroup() && (known.isCopyOf(palette) || known == palette))
            return known;
    }
    same.push_back(palette);
    return same.back();
}

std::size_t PaletteSharingStyle::paletteCount() const
{
    std::size_t count = 0;
    for (const auto &[hash, same] : palettes)
        count += same.size();
    return count;
}

void PaletteSharingStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                                        const QWidget *widget) const
{
    withSharedPalette(*this, option, [&] { QProxyStyle::drawPrimitive(element, option, painter, widget); });
}

void PaletteSharingStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                                      const QWidget *widget) const
{
    withSharedPalette(*this, option, [&] { QProxyStyle::drawControl(element, option, painter, widget); });
}

void PaletteSharingStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                                             QPainter *painter, const QWidget *widget) const
{
    withSharedPalette(*this, option, [&] { QProxyStyle::drawComplexControl(control, option, painter, widget); });
}

void InstallPaletteSharingStyle()
{
    if (!qobject_cast<PaletteSharingStyle *>(QApplication::style()))
        QApplication::setStyle(new PaletteSharingStyle);
}
