#include "applooks.h"
#include "icons.h"

#include <QApplication>
#include <QSettings>
#include <QStyle>
#include <QStyleFactory>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// Every test leaves the application's style, palette and stored look as it found them, so the
// other suites in this executable see the program's defaults.
class AppLooks : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_style = QApplication::style()->name();
        m_palette = QApplication::palette();
        m_stored = Profile().value(kKey);
    }
    void TearDown() override
    {
        if (QApplication::style()->name() != m_style)
            QApplication::setStyle(QStyleFactory::create(m_style));
        QApplication::setPalette(m_palette);
        if (m_stored.isValid())
            Profile().setValue(kKey, m_stored);
        else
            Profile().remove(kKey);
    }
    static QSettings Profile() { return QSettings(QStringLiteral("Orvel"), QStringLiteral("Kestivo")); }

    const QString kKey = QStringLiteral("ApplicationLook");

private:
    QString m_style;
    QPalette m_palette;
    QVariant m_stored;
};

double Luminance(const QColor& color)
{
    auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) + 0.0722 * linear(color.blueF());
}

double Contrast(const QColor& a, const QColor& b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST_F(AppLooks, TableHoldsTheNineLooksInMenuOrder)
{
    struct Row {
        int id;
        const char* label;
        bool inSubmenu;
        ColorRef back;
    };
    const Row expected[] = {
        {210, "Windows &2000", false, 0xE0E0E0},
        {211, "Office &XP", false, 0xE0E0E0},
        {212, "&Windows XP", false, 0xF8F8F8},
        {213, "Office 200&3", false, 0xE0D2BA},
        {214, "Visual Studio.NET 200&5", false, 0xECECEC},
        {215, "&Blue Style", true, 0xE0D2BA},
        {216, "B&lack Style", true, 0x8D8D8D},
        {217, "&Silver Style", true, 0xCCCCCC},
        {218, "&Aqua Style", true, 0xDADADA},
    };
    const auto& looks = applook::All();
    ASSERT_EQ(looks.size(), std::size(expected));
    for (size_t i = 0; i < looks.size(); ++i) {
        SCOPED_TRACE(expected[i].id);
        EXPECT_EQ(looks[i].id, expected[i].id);
        EXPECT_STREQ(looks[i].label, expected[i].label);
        EXPECT_EQ(looks[i].inOffice2007Submenu, expected[i].inSubmenu);
        EXPECT_EQ(looks[i].backColor, expected[i].back);
    }
    EXPECT_EQ(applook::kDefault, 213);
    for (int unknown : {0, 209, 219, 999, -1})
        EXPECT_EQ(applook::For(unknown).id, applook::kDefault) << unknown;
}

TEST_F(AppLooks, EveryLookHasItsOwnPalette)
{
    const QPalette::ColorRole kRoles[] = {QPalette::Window, QPalette::Button, QPalette::Highlight};
    const auto& looks = applook::All();
    for (size_t i = 0; i < looks.size(); ++i) {
        for (size_t j = i + 1; j < looks.size(); ++j) {
            const QPalette a = applook::PaletteFor(looks[i].id);
            const QPalette b = applook::PaletteFor(looks[j].id);
            const bool differs = std::any_of(std::begin(kRoles), std::end(kRoles),
                                             [&](QPalette::ColorRole r) { return a.color(r) != b.color(r); });
            EXPECT_TRUE(differs) << looks[i].id << " and " << looks[j].id;
        }
    }
}

TEST_F(AppLooks, DarkLookTextIsReadable)
{
    const QPalette dark = applook::PaletteFor(216);
    EXPECT_LT(Luminance(dark.color(QPalette::Window)), 0.1);
    struct Pair {
        QPalette::ColorRole text;
        QPalette::ColorRole background;
    };
    const Pair pairs[] = {
        {QPalette::WindowText, QPalette::Window},       {QPalette::Text, QPalette::Base},
        {QPalette::Text, QPalette::AlternateBase},      {QPalette::ButtonText, QPalette::Button},
        {QPalette::ToolTipText, QPalette::ToolTipBase}, {QPalette::HighlightedText, QPalette::Highlight},
        {QPalette::PlaceholderText, QPalette::Base},    {QPalette::Link, QPalette::Base},
    };
    const std::pair<QPalette::ColorGroup, double> groups[] = {
        {QPalette::Active, 4.5}, {QPalette::Inactive, 4.5}, {QPalette::Disabled, 3.0}};
    for (const auto& [group, minimum] : groups) {
        for (const Pair& p : pairs) {
            const double ratio = Contrast(dark.color(group, p.text), dark.color(group, p.background));
            EXPECT_GE(ratio, minimum) << "group " << group << " roles " << p.text << " on " << p.background;
        }
    }
}

TEST_F(AppLooks, ApplySetsStyleAndPaletteAndReturnsTheBackColour)
{
    for (const auto& look : applook::All()) {
        SCOPED_TRACE(look.id);
        EXPECT_EQ(applook::Apply(look.id), look.backColor);
        EXPECT_EQ(QApplication::style()->name().toLower(), applook::StyleNameFor(look.id).toLower());
        EXPECT_TRUE(QApplication::palette() == applook::PaletteFor(look.id));
    }
    const bool hasClassic = QStyleFactory::keys().contains(QStringLiteral("Windows"), Qt::CaseInsensitive);
    EXPECT_EQ(applook::StyleNameFor(210).toLower(), hasClassic ? QStringLiteral("windows") : QStringLiteral("fusion"));
    EXPECT_EQ(applook::StyleNameFor(216).toLower(), QStringLiteral("fusion"));
}

TEST_F(AppLooks, ApplyKeepsTheStyleWhenOnlyThePaletteChanges)
{
    applook::Apply(211);
    const QStyle* before = QApplication::style();
    applook::Apply(216);
    EXPECT_EQ(QApplication::style(), before);
}

TEST_F(AppLooks, ProfileRoundTripAndUnknownValues)
{
    applook::WriteToProfile(216);
    EXPECT_EQ(applook::ReadFromProfile(), 216);
    Profile().remove(kKey);
    EXPECT_EQ(applook::ReadFromProfile(), 213);
    for (const QVariant& stored : {QVariant(999), QVariant(QStringLiteral("dark"))}) {
        Profile().setValue(kKey, stored);
        EXPECT_EQ(applook::ReadFromProfile(), 213) << stored.toString().toStdString();
    }
}

}  // namespace

// The commands' icons are drawn light on the dark look, so they stay visible there.
TEST_F(AppLooks, IconsAreDrawnLightOnTheDarkLook)
{
    const QIcon stop = KestivoIcon(QStringLiteral("stop"));
    applook::Apply(211);
    const QColor onLight = stop.pixmap(24).toImage().pixelColor(12, 12);
    applook::Apply(216);
    const QColor onDark = stop.pixmap(24).toImage().pixelColor(12, 12);
    EXPECT_LT(onLight.lightness(), 100);
    EXPECT_GT(onDark.lightness(), 180);
}
