// Writing a described server function as its CREATE statement.
#include "store/schema/server_function.h"

#include "store/engine/sql_text.h"

namespace store {

QString ServerFunction::createStatement(const QString& schema) const
{
    QString text = QStringLiteral("CREATE OR REPLACE FUNCTION %1.%2(%3) RETURNS %4 LANGUAGE %5 %6 %7")
                       .arg(quoted(schema), quoted(name), arguments, returns, language,
                            immutable ? QStringLiteral("IMMUTABLE") : QStringLiteral("VOLATILE"),
                            definer ? QStringLiteral("SECURITY DEFINER") : QStringLiteral("SECURITY INVOKER"));
    for (const QString& setting : settings) {
        const QString name = setting.section(QLatin1Char('='), 0, 0);
        const QString value = setting.section(QLatin1Char('='), 1);
        text += QStringLiteral(" SET %1 = %2")
                    .arg(name, name == QLatin1String("search_path") ? value : literal(value));
    }
    return text + QStringLiteral(" AS $body$") + body + QStringLiteral("$body$");
}

QStringList CatalogSearchPath()
{
    return {QStringLiteral("search_path=pg_catalog, pg_temp")};
}

// Every setting that shapes the text a value becomes, pinned, so that nothing
// a session sets (extra_float_digits of -14, another DateStyle or time zone,
// ...) changes what is recorded; and a search path of the catalog alone, so
// that no object of the caller's can stand in for one of the server's.
QStringList PinnedSettings()
{
    return CatalogSearchPath() + QStringList{QStringLiteral("extra_float_digits=1"),
                                             QStringLiteral("DateStyle=ISO, YMD"),
                                             QStringLiteral("IntervalStyle=postgres"),
                                             QStringLiteral("TimeZone=UTC"),
                                             QStringLiteral("lc_numeric=C"),
                                             QStringLiteral("bytea_output=hex"),
                                             QStringLiteral("standard_conforming_strings=on")};
}

}  // namespace store
