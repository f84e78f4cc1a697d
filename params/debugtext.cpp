#include "params/debugtext.h"

namespace debugtext {

namespace {
constexpr int shownEntries = 40;
}

QString excerpt(const QString &text)
{
    if (text.size() <= shownCharacters)
        return text;
    return text.left(shownCharacters) + QStringLiteral("... (%1 characters)").arg(text.size());
}

QStringList excerpt(const QStringList &list)
{
    QStringList shown;
    int characters = 0;
    for (const QString &entry : list) {
        if (characters >= shownCharacters) {
            shown.append(QStringLiteral("... (%1 entries)").arg(list.size()));
            break;
        }
        shown.append(excerpt(entry));
        characters += entry.size();
    }
    return shown;
}

QMap<QString, QString> firstEntries(const QMap<QString, QString> &map)
{
    QMap<QString, QString> shown;
    for (auto it = map.cbegin(); it != map.cend() && shown.size() < shownEntries; ++it)
        shown.insert(it.key(), it.value());
    return shown;
}

} // namespace debugtext
