// libpq loaded on first use. The program is not linked against libpq: the
// library and the twenty it pulls in (TLS, Kerberos, LDAP) would cost every
// start about ten milliseconds, though only a company on a server needs them.
// libpq_on_demand.cpp defines the libpq functions the engine calls; each
// loads the library once and passes the call on to it.
#pragma once

#include <QString>

namespace store {

// Loads libpq if it is not loaded yet. Returns an empty string, or why the
// library cannot be loaded. Whatever connects to a server calls this first,
// so that a missing library is told as such rather than met inside a call.
QString LoadLibpq();

}  // namespace store
