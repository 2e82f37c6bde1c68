// File-name wildcards as the folder scan understands them: "*" matches any
// run of characters, "?" exactly one, letter case is ignored, and "*.*"
// matches every name, with or without a dot. Qt Core only.
#pragma once

#include <QString>

class Wildcard {
public:
    explicit Wildcard(const QString& pattern);

    bool matches(const QString& name) const;

private:
    QString m_pattern; // case-folded
    bool m_everything = false;
};
