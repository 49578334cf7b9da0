// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform.h"

#include <QPalette>
#include <QWidget>

#include <utility>

namespace rt::platform {

namespace {

// Fusion's light palette, every role written out: from Qt 6.5 on the style's
// standard palette follows the desktop into dark.
enum Light : unsigned
{
    Ink = 0x000000,
    Paper = 0xffffff,
    Face = 0xefefef,
    FaceLight = 0xffffff,
    FaceMidlight = 0xcacaca,
    FaceMid = 0xb8b8b8,
    FaceDark = 0x9f9f9f,
    Shadow = 0x767676,
    Highlight = 0x308cc6,
    Link = 0x0000ff,
    LinkVisited = 0xff00ff,
    AlternateBase = 0xf7f7f7,
    ToolTipBase = 0xffffdc,
    Placeholder = 0x808080,
    DisabledInk = 0xbebebe,
    DisabledDark = 0xbebebe,
    DisabledShadow = 0xb1b1b1,
    DisabledHighlight = 0x919191,
};

} // namespace

void useLightPalette(QWidget* client)
{
    const std::pair<QPalette::ColorRole, Light> roles[] = {
        {QPalette::WindowText, Ink},
        {QPalette::Text, Ink},
        {QPalette::ButtonText, Ink},
        {QPalette::ToolTipText, Ink},
        {QPalette::HighlightedText, Paper},
        {QPalette::BrightText, Paper},
        {QPalette::Window, Face},
        {QPalette::Button, Face},
        {QPalette::Base, Paper},
        {QPalette::AlternateBase, AlternateBase},
        {QPalette::ToolTipBase, ToolTipBase},
        {QPalette::Light, FaceLight},
        {QPalette::Midlight, FaceMidlight},
        {QPalette::Mid, FaceMid},
        {QPalette::Dark, FaceDark},
        {QPalette::Shadow, Shadow},
        {QPalette::Highlight, Highlight},
        {QPalette::Link, Link},
        {QPalette::LinkVisited, LinkVisited},
        {QPalette::PlaceholderText, Placeholder},
    };
    QPalette p;
    for (auto [role, rgb] : roles)
        p.setColor(role, QColor::fromRgb(rgb));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor::fromRgb(DisabledInk));
    p.setColor(QPalette::Disabled, QPalette::Base, QColor::fromRgb(Face));
    p.setColor(QPalette::Disabled, QPalette::Dark, QColor::fromRgb(DisabledDark));
    p.setColor(QPalette::Disabled, QPalette::Shadow, QColor::fromRgb(DisabledShadow));
    p.setColor(QPalette::Disabled, QPalette::Highlight, QColor::fromRgb(DisabledHighlight));
    client->setPalette(p);
}

} // namespace rt::platform
