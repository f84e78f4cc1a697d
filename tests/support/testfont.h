#pragma once

#include <QApplication>
#include <QFont>
#include <QFontInfo>
#include <QString>

// The desktop font that a test or a picture is made with, set before any window exists: the family named by
// VELON_TEST_FONT (the platform's default family without it) at VELON_TEST_FONT_SIZE points (10 without it).
// VELON_TEST_FONT_SIZE=platform leaves the application font as the platform gives it, the way a desktop
// without font settings shows the program. Returns the family the font database actually found.
inline QString applyTestFont()
{
    const QString size = qEnvironmentVariable("VELON_TEST_FONT_SIZE", QStringLiteral("10"));
    if (size == QLatin1String("platform"))
        return QFontInfo(QApplication::font()).family();
    const QString family = qEnvironmentVariableIsSet("VELON_TEST_FONT")
                               ? qEnvironmentVariable("VELON_TEST_FONT")
                               : QApplication::font().family();
    const QFont font(family, size.toInt() > 0 ? size.toInt() : 10);
    QApplication::setFont(font);
    return QFontInfo(font).family();
}
