#pragma once

#include <QColor>
#include <QPalette>

namespace qm::xp::test {

// A palette whose every mapped role has its own colour, so a pixel tells
// which system colour painted it. Face and menu differ ("distinct").
inline QPalette DistinctPalette()
{
    QPalette p;
    p.setColor(QPalette::Button, QColor(212, 208, 200));
    p.setColor(QPalette::Window, QColor(250, 246, 236));
    p.setColor(QPalette::Dark, QColor(128, 128, 128));
    p.setColor(QPalette::Light, QColor(255, 255, 254));
    p.setColor(QPalette::Shadow, QColor(40, 40, 40));
    p.setColor(QPalette::Midlight, QColor(226, 222, 214));
    p.setColor(QPalette::Base, QColor(254, 255, 255));
    p.setColor(QPalette::WindowText, QColor(0, 0, 0));
    p.setColor(QPalette::ButtonText, QColor(0, 0, 1));
    p.setColor(QPalette::Highlight, QColor(49, 106, 197));
    p.setColor(QPalette::HighlightedText, QColor(255, 255, 255));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(150, 150, 150));
    return p;
}

// The same with face and menu equal.
inline QPalette EqualPalette()
{
    QPalette p = DistinctPalette();
    p.setColor(QPalette::Window, p.color(QPalette::Button));
    return p;
}

} // namespace qm::xp::test
