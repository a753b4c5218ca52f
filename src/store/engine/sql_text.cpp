// Quoted identifiers and INSERT statements for both engines.
#include "store/engine/sql_text.h"

namespace store {

QString quoted(const QString& identifier)
{
    QString text = identifier;
    text.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString literal(const QString& text)
{
    QString body = text;
    body.replace(QLatin1Char('\''), QLatin1String("''"));
    if (!body.contains(QLatin1Char('\\')))
        return QLatin1Char('\'') + body + QLatin1Char('\'');
    body.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    return QLatin1String("E'") + body + QLatin1Char('\'');
}

QString InsertStatement(const QString& table, const QStringList& names, QChar mark)
{
    if (names.isEmpty())
        return QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table);
    QStringList columns;
    QStringList marks;
    for (int i = 0; i < names.size(); ++i) {
        columns << quoted(names[i]);
        marks << mark + QString::number(i + 1);
    }
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(table, columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
}

}  // namespace store
