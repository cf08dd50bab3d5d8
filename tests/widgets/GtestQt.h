// Lets GoogleTest print Qt values in failure messages.
#pragma once

#include <QColor>
#include <QString>
#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QColor& c, std::ostream* os) { *os << c.name().toStdString(); }
QT_END_NAMESPACE
