// The product's names and the maker's addresses, kept in one place.
#pragma once

#include <QString>

namespace AppInfo {
inline const QString productName = QStringLiteral("Tallowmere");
inline const QString version = QStringLiteral(TALLOWMERE_VERSION);
inline const QString supportAddress = QStringLiteral("support@pellworth.example");
inline const QString homePage = QStringLiteral("https://www.pellworth.example/");
inline const QString contactPage = QStringLiteral("https://www.pellworth.example/contact/");
} // namespace AppInfo

// The caption of boxes that name no title: the product name shortened at its
// last blank (always once, then while longer than 40 characters).
QString ApplicationTitle(const QString& productName = AppInfo::productName);
