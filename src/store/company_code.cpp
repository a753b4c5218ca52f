// The check of a company code before any file is touched.
#include "store/company_code.h"

namespace store {

QString CompanyCodeProblem(const QString& code)
{
    if (code == QLatin1String(".") || code == QLatin1String("..") || code.contains(QLatin1Char('/')))
        return QStringLiteral("CODICE SOCIETA' NON VALIDO: \"%1\"\n"
                              "IL CODICE NON PUO' ESSERE \".\" O \"..\" NE' CONTENERE \"/\".")
            .arg(code);
    return {};
}

}  // namespace store
