// A test text as the units a chain or finder works on: UTF-8 bytes or UTF-16.
#pragma once

#include <QString>

#include <string>
#include <type_traits>

template <class Unit> std::basic_string<Unit> unitsOf(const QString& text)
{
    if constexpr (std::is_same_v<Unit, char>)
        return text.toStdString();
    else
        return text.toStdU16String();
}
