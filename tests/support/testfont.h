#pragma once

#include <QApplication>
#include <QFont>
#include <QFontInfo>
#include <QString>

// The desktop font that a test or a picture is made with: the family named by VELON_TEST_FONT (the
// platform's default family without it) at 10 points, set before any window exists. Returns the family the
// font database actually found for it.
inline QString applyTestFont()
{
    const QString family = qEnvironmentVariableIsSet("VELON_TEST_FONT")
                               ? qEnvironmentVariable("VELON_TEST_FONT")
                               : QApplication::font().family();
    const QFont font(family, 10);
    QApplication::setFont(font);
    return QFontInfo(font).family();
}
