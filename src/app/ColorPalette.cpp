#include "ColorPalette.h"

namespace orvane::colorscheme {

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightnessF() <
           palette.color(QPalette::WindowText).lightnessF();
}

QPalette paletteFor(bool dark, const QPalette &desktop)
{
    if (isDark(desktop) == dark) {
        return desktop;
    }
    const auto grey = [](int level) { return QColor(level, level, level); };
    const QColor window = dark ? grey(0x2d) : grey(0xef);
    const QColor text = dark ? grey(0xeb) : grey(0x1a);
    const QColor base = dark ? grey(0x1f) : grey(0xff);
    const QColor button = dark ? grey(0x3a) : grey(0xe6);
    const QColor muted = dark ? grey(0x80) : grey(0x90);
    QPalette palette;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, window);
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::Base, base);
        palette.setColor(group, QPalette::AlternateBase, dark ? grey(0x29) : grey(0xf5));
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::Button, button);
        palette.setColor(group, QPalette::ButtonText, text);
        palette.setColor(group, QPalette::ToolTipBase, button);
        palette.setColor(group, QPalette::ToolTipText, text);
        palette.setColor(group, QPalette::PlaceholderText, muted);
        palette.setColor(group, QPalette::Light, dark ? grey(0x4a) : grey(0xff));
        palette.setColor(group, QPalette::Midlight, dark ? grey(0x40) : grey(0xf0));
        palette.setColor(group, QPalette::Mid, dark ? grey(0x30) : grey(0xb8));
        palette.setColor(group, QPalette::Dark, dark ? grey(0x20) : grey(0xa0));
        palette.setColor(group, QPalette::Shadow, grey(0x00));
        palette.setColor(group, QPalette::BrightText, dark ? grey(0xff) : grey(0x00));
        palette.setColor(group, QPalette::Highlight, desktop.color(group, QPalette::Highlight));
        palette.setColor(group, QPalette::HighlightedText,
                         desktop.color(group, QPalette::HighlightedText));
        palette.setColor(group, QPalette::Link,
                         dark ? QColor(0x5a, 0xa9, 0xff) : QColor(0x00, 0x55, 0xcc));
    }
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, muted);
    }
    for (const QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button}) {
        palette.setColor(QPalette::Disabled, role, palette.color(QPalette::Active, role));
    }
    return palette;
}

} // namespace orvane::colorscheme
