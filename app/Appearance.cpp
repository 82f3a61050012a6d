#include "Appearance.h"

#include <QGuiApplication>
#include <QPalette>

#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
#include <QStyleHints>
#endif

bool isDarkAppearance()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    return QGuiApplication::styleHints()->colorScheme() == Qt::ColorScheme::Dark;
#else
    return paletteLooksDark(QGuiApplication::palette());
#endif
}

bool paletteLooksDark(const QPalette &palette)
{
    return qGray(palette.color(QPalette::WindowText).rgb()) >
           qGray(palette.color(QPalette::Window).rgb());
}
