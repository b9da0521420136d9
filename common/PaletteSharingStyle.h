#pragma once

#include <QPalette>
#include <QProxyStyle>

#include <unordered_map>
#include <vector>

// The desktop style, drawing every control with one shared palette per set of
// colours. A widget given colours of its own gets a palette object of its own,
// and the style keys the pixmaps it caches (button bevels, frames) by that
// object: without sharing, every freshly built window would fill the pixmap
// cache anew and memory would grow with every window opened.
class PaletteSharingStyle final : public QProxyStyle
{
    Q_OBJECT

public:
    PaletteSharingStyle();

    // The one palette with these colours, the same object every time.
    const QPalette &shared(const QPalette &palette) const;
    // How many different palettes the program has drawn with so far.
    std::size_t paletteCount() const;

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget = nullptr) const override;

private:
    mutable std::unordered_map<std::size_t, std::vector<QPalette>> palettes;
};

// Makes it the application's style (main, and whoever runs the program's windows at length).
void InstallPaletteSharingStyle();
