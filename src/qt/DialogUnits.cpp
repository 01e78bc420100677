#include "DialogUnits.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace {

// a * b / c rounded to the nearest integer, as the system's MulDiv does for positives.
int mulDiv(int a, int b, int c) {
    const long long p = static_cast<long long>(a) * b;
    const long long r = p >= 0 ? (p + c / 2) / c : -((-p + c / 2) / c);
    return static_cast<int>(r);
}

} // namespace

DialogUnits::DialogUnits(const QFont& dialogFont) {
    const QFontMetrics fm(dialogFont);
    // The average width is that of the 52 letters, rounded to the nearest pixel.
    const int letters = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = std::max(1, (letters / 26 + 1) / 2);
    m_baseY = std::max(1, fm.height());
}

QRect DialogUnits::rect(int x, int y, int w, int h) const {
    const int left = mulDiv(x, m_baseX, 4);
    const int top = mulDiv(y, m_baseY, 8);
    const int right = mulDiv(x + w, m_baseX, 4);
    const int bottom = mulDiv(y + h, m_baseY, 8);
    return QRect(left, top, right - left, bottom - top);
}

QSize DialogUnits::size(int w, int h) const {
    return QSize(mulDiv(w, m_baseX, 4), mulDiv(h, m_baseY, 8));
}

namespace dialogfont {

namespace {

// The first of the families that is installed under its own name, or else the last, which
// the system then matches as best it can. Naming only a family that is there spares Qt
// asking the system for substitutes of a missing one for every font made from it.
QString installedFamily(std::initializer_list<const char*> families) {
    const QStringList installed = QFontDatabase::families();
    QString family;
    for (const char* name : families) {
        family = QString::fromLatin1(name);
        if (installed.contains(family, Qt::CaseInsensitive)) break;
    }
    return family;
}

} // namespace

QFont templateFont(int points) {
    // The template names a Windows font; Liberation Sans has the same metrics as Arial.
    static const QString family =
        installedFamily({"Microsoft Sans Serif", "Arial", "Liberation Sans"});
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    double dpi = 96.0;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        dpi = screen->logicalDotsPerInchY();
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(points * dpi / 72.0))));
    return font;
}

QFont arialBoldCell(int cellHeight) {
    static const QString family = installedFamily({"Arial", "Liberation Sans"});
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    // The cell is ascent plus descent; find the em size that gives it.
    QFont probe = font;
    probe.setPixelSize(1000);
    const double cellPerEm = QFontMetricsF(probe).height() / 1000.0;
    const double em = cellPerEm > 0.0 ? cellHeight / cellPerEm : cellHeight;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(em))));
    return font;
}

} // namespace dialogfont
