#include "ui/Theme.h"

#include <QApplication>
#include <QStyleFactory>

namespace pintora {

QPalette darkPalette()
{
    const QColor window(0x2B, 0x2B, 0x2D);
    const QColor base(0x1E, 0x1E, 0x1E);
    const QColor button(0x3A, 0x3A, 0x3C);
    const QColor label(0xF2, 0xF2, 0xF7);
    const QColor secondaryLabel(0x98, 0x98, 0x9D);
    const QColor disabledLabel(0x6E, 0x6E, 0x73);

    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, label);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, QColor(0x26, 0x26, 0x28));
    palette.setColor(QPalette::ToolTipBase, QColor(0x3A, 0x3A, 0x3C));
    palette.setColor(QPalette::ToolTipText, label);
    palette.setColor(QPalette::PlaceholderText, secondaryLabel);
    palette.setColor(QPalette::Text, label);
    palette.setColor(QPalette::Button, button);
    palette.setColor(QPalette::ButtonText, label);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Light, QColor(0x4A, 0x4A, 0x4D));
    palette.setColor(QPalette::Midlight, QColor(0x42, 0x42, 0x45));
    palette.setColor(QPalette::Mid, QColor(0x32, 0x32, 0x34));
    palette.setColor(QPalette::Dark, QColor(0x16, 0x16, 0x17));
    palette.setColor(QPalette::Shadow, Qt::black);
    palette.setColor(QPalette::Highlight, accentColor());
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, accentColor());
    palette.setColor(QPalette::LinkVisited, accentColor().lighter(120));

    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, disabledLabel);
    palette.setColor(QPalette::Disabled, QPalette::Button, QColor(0x30, 0x30, 0x32));
    palette.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0x46, 0x46, 0x48));
    return palette;
}

void applyDarkAppearance()
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(darkPalette());
}

} // namespace pintora
