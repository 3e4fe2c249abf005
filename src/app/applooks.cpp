#include "applooks.h"

#include "resource.h"
#include "profile.h"

#include <QApplication>
#include <QColor>
#include <QSettings>
#include <QStyle>
#include <QStyleFactory>
#include <algorithm>
#include <cmath>

namespace applook {

namespace {

const QString kProfileKey = QStringLiteral("ApplicationLook");
const QString kFallbackStyle = QStringLiteral("Fusion");

// How far a disabled text colour moves towards its background: dim enough to read as disabled,
// yet still readable on the dark look.
constexpr double kDisabledFade = 0.45;

using kestivo::Profile;

QColor Mix(const QColor& from, const QColor& to, double t)
{
    auto channel = [t](int a, int b) { return int(std::lround(a + (b - a) * t)); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}

double Luminance(const QColor& color)
{
    auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(color.red()) + 0.7152 * linear(color.green()) + 0.0722 * linear(color.blue());
}

double Contrast(const QColor& a, const QColor& b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Black or white, whichever reads better: highlights range from pale amber to deep navy.
QColor TextOn(const QColor& background)
{
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return Contrast(black, background) >= Contrast(white, background) ? black : white;
}

void SetBoth(QPalette& palette, QPalette::ColorRole role, const QColor& color)
{
    palette.setColor(QPalette::Active, role, color);
    palette.setColor(QPalette::Inactive, role, color);
}

QPalette Build(const Seeds& seeds)
{
    const QColor window(seeds.window);
    const QColor base(seeds.base);
    const QColor button(seeds.button);
    const QColor text(seeds.text);
    const QColor highlight(seeds.highlight);
    const QColor link(seeds.link);
    const QColor alternateBase = Mix(base, button, 0.4);
    const QColor light = button.lighter(150);

    QPalette p;
    SetBoth(p, QPalette::Window, window);
    SetBoth(p, QPalette::WindowText, text);
    SetBoth(p, QPalette::Base, base);
    SetBoth(p, QPalette::AlternateBase, alternateBase);
    SetBoth(p, QPalette::Text, text);
    SetBoth(p, QPalette::Button, button);
    SetBoth(p, QPalette::ButtonText, text);
    SetBoth(p, QPalette::BrightText, Qt::white);
    SetBoth(p, QPalette::ToolTipBase, button);
    SetBoth(p, QPalette::ToolTipText, text);
    SetBoth(p, QPalette::Highlight, highlight);
    SetBoth(p, QPalette::HighlightedText, TextOn(highlight));
    SetBoth(p, QPalette::Link, link);
    SetBoth(p, QPalette::LinkVisited, Mix(link, text, 0.3));
    SetBoth(p, QPalette::PlaceholderText, Mix(text, base, 0.35));
    SetBoth(p, QPalette::Light, light);
    SetBoth(p, QPalette::Midlight, Mix(button, light, 0.5));
    SetBoth(p, QPalette::Mid, button.darker(130));
    SetBoth(p, QPalette::Dark, button.darker(200));
    SetBoth(p, QPalette::Shadow, Qt::black);

    // Disabled keeps the surfaces and fades each text towards what it is drawn on.
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto r = QPalette::ColorRole(role);
        p.setColor(QPalette::Disabled, r, p.color(QPalette::Active, r));
    }
    const QColor disabledHighlight = Mix(highlight, window, 0.5);
    auto fade = [](const QColor& fg, const QColor& bg) { return Mix(fg, bg, kDisabledFade); };
    p.setColor(QPalette::Disabled, QPalette::WindowText, fade(text, window));
    p.setColor(QPalette::Disabled, QPalette::Text, fade(text, base));
    p.setColor(QPalette::Disabled, QPalette::PlaceholderText, fade(text, base));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, fade(text, button));
    p.setColor(QPalette::Disabled, QPalette::ToolTipText, fade(text, button));
    // A disabled link is no longer one: it greys like the text around it.
    p.setColor(QPalette::Disabled, QPalette::Link, fade(text, base));
    p.setColor(QPalette::Disabled, QPalette::LinkVisited, fade(text, base));
    p.setColor(QPalette::Disabled, QPalette::Highlight, disabledHighlight);
    p.setColor(QPalette::Disabled, QPalette::HighlightedText,
               fade(TextOn(disabledHighlight), disabledHighlight));
    return p;
}

}  // namespace

const std::vector<Look>& All()
{
    // Seeds: window, base, button, text, highlight, link.
    static const std::vector<Look> looks = {
        {210, "Windows &2000", false, 0xE0E0E0, "Windows",
         {qRgb(212, 212, 212), qRgb(255, 255, 255), qRgb(212, 212, 212),
          qRgb(0, 0, 0), qRgb(10, 36, 106), qRgb(0, 0, 238)}},
        {211, "Office &XP", false, 0xE0E0E0, "Fusion",
         {qRgb(252, 252, 252), qRgb(255, 255, 255), qRgb(232, 232, 236),
          qRgb(0, 0, 0), qRgb(182, 189, 210), qRgb(0, 0, 192)}},
        {212, "&Windows XP", false, 0xF8F8F8, "Fusion",
         {qRgb(248, 248, 248), qRgb(255, 255, 255), qRgb(236, 233, 216),
          qRgb(0, 0, 0), qRgb(49, 106, 197), qRgb(0, 102, 204)}},
        {213, "Office 200&3", false, 0xE0D2BA, "Fusion",
         {qRgb(218, 230, 244), qRgb(255, 255, 255), qRgb(198, 218, 242),
          qRgb(0, 0, 0), qRgb(255, 214, 140), qRgb(0, 70, 170)}},
        {214, "Visual Studio.NET 200&5", false, 0xECECEC, "Fusion",
         {qRgb(236, 236, 236), qRgb(255, 255, 255), qRgb(245, 245, 243),
          qRgb(0, 0, 0), qRgb(106, 90, 205), qRgb(80, 60, 170)}},
        {215, "&Blue Style", true, 0xE0D2BA, "Fusion",
         {qRgb(191, 219, 255), qRgb(255, 255, 255), qRgb(213, 230, 250),
          qRgb(16, 40, 90), qRgb(255, 189, 105), qRgb(0, 60, 160)}},
        {216, "B&lack Style", true, 0x8D8D8D, "Fusion",
         {qRgb(45, 45, 48), qRgb(30, 30, 30), qRgb(62, 62, 66),
          qRgb(235, 235, 235), qRgb(52, 100, 160), qRgb(120, 180, 255)}},
        {217, "&Silver Style", true, 0xCCCCCC, "Fusion",
         {qRgb(221, 224, 230), qRgb(255, 255, 255), qRgb(238, 240, 244),
          qRgb(0, 0, 0), qRgb(111, 125, 150), qRgb(40, 70, 140)}},
        {218, "&Aqua Style", true, 0xDADADA, "Fusion",
         {qRgb(214, 236, 240), qRgb(255, 255, 255), qRgb(196, 230, 236),
          qRgb(0, 0, 0), qRgb(0, 128, 150), qRgb(0, 100, 130)}},
    };
    return looks;
}

const Look& For(int id)
{
    const auto& looks = All();
    auto found = std::find_if(looks.begin(), looks.end(), [id](const Look& l) { return l.id == id; });
    if (found == looks.end())
        found = std::find_if(looks.begin(), looks.end(), [](const Look& l) { return l.id == kDefault; });
    return *found;
}

QPalette PaletteFor(int id)
{
    return Build(For(id).seeds);
}

QString StyleNameFor(int id)
{
    const QString wanted = QString::fromLatin1(For(id).style);
    return QStyleFactory::keys().contains(wanted, Qt::CaseInsensitive) ? wanted : kFallbackStyle;
}

ColorRef Apply(int id)
{
    const Look& look = For(id);
    const QString name = StyleNameFor(look.id);
    // A style change repolishes every widget, so only when the look really changes style.
    if (QApplication::style()->name().compare(name, Qt::CaseInsensitive) != 0)
        QApplication::setStyle(QStyleFactory::create(name));
    // After the style: setting a style resets the application palette.
    QApplication::setPalette(PaletteFor(look.id));
    return look.backColor;
}

int ReadFromProfile()
{
    bool ok = false;
    const int id = Profile().value(kProfileKey, kDefault).toInt(&ok);
    return ok ? For(id).id : kDefault;
}

void WriteToProfile(int id)
{
    Profile().setValue(kProfileKey, For(id).id);
}

}  // namespace applook
