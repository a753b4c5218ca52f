// The seal's time stamp where the program is built without OpenSSL and Qt
// Network (Windows): asking for a token and checking one are refused in
// words that say where they can be done.
#include "company/seal_timestamp.h"

namespace company::timestamp {

namespace {

QString Unavailable()
{
    return QStringLiteral("la marca temporale del sigillo (--tsa, --tsa-ca) si chiede e si controlla "
                          "con quenvol-admin su Linux");
}

}  // namespace

QByteArray Request(const QString&, const QByteArray&, QString* error)
{
    if (error)
        *error = Unavailable();
    return {};
}

Check Verify(const QByteArray&, const QByteArray&, const QString&)
{
    Check check;
    check.problem = Unavailable();
    return check;
}

}  // namespace company::timestamp
