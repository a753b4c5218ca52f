// The libpq functions the engine and the admin tool call, each passing the
// call on to the library loaded on first use (see libpq_on_demand.h). Their
// declarations come from libpq-fe.h, so a signature that does not match the
// library's own does not compile.
#include "store/postgres/libpq_on_demand.h"

#include <libpq-fe.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace store {

namespace {

#ifdef _WIN32
// Beside the program (the installer puts it there), else on the PATH.
constexpr const char* LibraryName = "libpq.dll";

void* OpenLibrary()
{
    return reinterpret_cast<void*>(LoadLibraryW(L"libpq.dll"));
}

QString OpenError()
{
    return QStringLiteral("il file libpq.dll non si trova accanto al programma né nel PATH "
                          "(codice di errore Windows %1): reinstallare Quenvol")
        .arg(GetLastError());
}

void* Symbol(void* handle, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
#else
// The library's name with its ABI version, as the package depends on it.
constexpr const char* LibraryName = "libpq.so.5";

void* OpenLibrary()
{
    return dlopen(LibraryName, RTLD_NOW | RTLD_LOCAL);
}

QString OpenError()
{
    return QString::fromLocal8Bit(dlerror());
}

void* Symbol(void* handle, const char* name)
{
    return dlsym(handle, name);
}
#endif

struct Library {
    void* handle = nullptr;
    QString error;
};

const Library& Loaded()
{
    static const Library library = [] {
        Library l;
        l.handle = OpenLibrary();
        if (!l.handle)
            l.error = QStringLiteral("Libreria del server non disponibile (%1): %2")
                          .arg(QLatin1String(LibraryName), OpenError());
        return l;
    }();
    return library;
}

// The library's own definition of `name`. Callers load the library through
// LoadLibpq first; a call that gets here without it is a fault in the program,
// which ends it with the reason rather than calling nowhere.
void* Entry(const char* name)
{
    const Library& library = Loaded();
    void* entry = library.handle ? Symbol(library.handle, name) : nullptr;
    if (!entry) {
        std::fprintf(stderr, "quenvol: %s: %s\n", name,
                     library.handle ? "funzione assente nella libreria" : qPrintable(library.error));
        std::abort();
    }
    return entry;
}

template <auto Function>
decltype(Function) Real(const char* name)
{
    static const auto real = reinterpret_cast<decltype(Function)>(Entry(name));
    return real;
}

}  // namespace

QString LoadLibpq()
{
    return Loaded().error;
}

}  // namespace store

// Each definition takes the place of the library's function of the same name.
#define QUENVOL_FORWARD(Ret, Name, Params, Args) \
    Ret Name Params { return store::Real<&Name>(#Name) Args; }

extern "C" {

QUENVOL_FORWARD(PGconn*, PQconnectdb, (const char* conninfo), (conninfo))
QUENVOL_FORWARD(PGconn*, PQconnectdbParams,
                (const char* const* keywords, const char* const* values, int expand_dbname),
                (keywords, values, expand_dbname))
QUENVOL_FORWARD(PGconn*, PQconnectStartParams,
                (const char* const* keywords, const char* const* values, int expand_dbname),
                (keywords, values, expand_dbname))
QUENVOL_FORWARD(PGVerbosity, PQsetErrorVerbosity, (PGconn * conn, PGVerbosity verbosity), (conn, verbosity))
QUENVOL_FORWARD(void, PQfinish, (PGconn * conn), (conn))
QUENVOL_FORWARD(void, PQreset, (PGconn * conn), (conn))
QUENVOL_FORWARD(PQconninfoOption*, PQconninfoParse, (const char* conninfo, char** errmsg),
                (conninfo, errmsg))
QUENVOL_FORWARD(void, PQconninfoFree, (PQconninfoOption * options), (options))
QUENVOL_FORWARD(ConnStatusType, PQstatus, (const PGconn* conn), (conn))
QUENVOL_FORWARD(PGTransactionStatusType, PQtransactionStatus, (const PGconn* conn), (conn))
QUENVOL_FORWARD(char*, PQerrorMessage, (const PGconn* conn), (conn))
QUENVOL_FORWARD(char*, PQuser, (const PGconn* conn), (conn))
QUENVOL_FORWARD(char*, PQdb, (const PGconn* conn), (conn))
QUENVOL_FORWARD(char*, PQhost, (const PGconn* conn), (conn))
QUENVOL_FORWARD(char*, PQport, (const PGconn* conn), (conn))
QUENVOL_FORWARD(PGresult*, PQexec, (PGconn * conn, const char* query), (conn, query))
QUENVOL_FORWARD(PGresult*, PQexecParams,
                (PGconn * conn, const char* command, int nParams, const Oid* paramTypes,
                 const char* const* paramValues, const int* paramLengths, const int* paramFormats,
                 int resultFormat),
                (conn, command, nParams, paramTypes, paramValues, paramLengths, paramFormats,
                 resultFormat))
QUENVOL_FORWARD(int, PQsendQueryParams,
                (PGconn * conn, const char* command, int nParams, const Oid* paramTypes,
                 const char* const* paramValues, const int* paramLengths, const int* paramFormats,
                 int resultFormat),
                (conn, command, nParams, paramTypes, paramValues, paramLengths, paramFormats,
                 resultFormat))
QUENVOL_FORWARD(PGresult*, PQprepare,
                (PGconn * conn, const char* stmtName, const char* query, int nParams, const Oid* paramTypes),
                (conn, stmtName, query, nParams, paramTypes))
QUENVOL_FORWARD(PGresult*, PQexecPrepared,
                (PGconn * conn, const char* stmtName, int nParams, const char* const* paramValues,
                 const int* paramLengths, const int* paramFormats, int resultFormat),
                (conn, stmtName, nParams, paramValues, paramLengths, paramFormats, resultFormat))
QUENVOL_FORWARD(int, PQsendQueryPrepared,
                (PGconn * conn, const char* stmtName, int nParams, const char* const* paramValues,
                 const int* paramLengths, const int* paramFormats, int resultFormat),
                (conn, stmtName, nParams, paramValues, paramLengths, paramFormats, resultFormat))
QUENVOL_FORWARD(PGresult*, PQgetResult, (PGconn * conn), (conn))
QUENVOL_FORWARD(int, PQenterPipelineMode, (PGconn * conn), (conn))
QUENVOL_FORWARD(int, PQexitPipelineMode, (PGconn * conn), (conn))
QUENVOL_FORWARD(int, PQpipelineSync, (PGconn * conn), (conn))
QUENVOL_FORWARD(PGpipelineStatus, PQpipelineStatus, (const PGconn* conn), (conn))
QUENVOL_FORWARD(ExecStatusType, PQresultStatus, (const PGresult* res), (res))
QUENVOL_FORWARD(char*, PQresultErrorMessage, (const PGresult* res), (res))
QUENVOL_FORWARD(char*, PQresultErrorField, (const PGresult* res, int fieldcode), (res, fieldcode))
QUENVOL_FORWARD(int, PQntuples, (const PGresult* res), (res))
QUENVOL_FORWARD(int, PQnfields, (const PGresult* res), (res))
QUENVOL_FORWARD(char*, PQfname, (const PGresult* res, int field), (res, field))
QUENVOL_FORWARD(int, PQfnumber, (const PGresult* res, const char* name), (res, name))
QUENVOL_FORWARD(Oid, PQftype, (const PGresult* res, int field), (res, field))
QUENVOL_FORWARD(char*, PQcmdStatus, (PGresult * res), (res))
QUENVOL_FORWARD(char*, PQgetvalue, (const PGresult* res, int row, int field), (res, row, field))
QUENVOL_FORWARD(int, PQgetlength, (const PGresult* res, int row, int field), (res, row, field))
QUENVOL_FORWARD(int, PQgetisnull, (const PGresult* res, int row, int field), (res, row, field))
QUENVOL_FORWARD(void, PQclear, (PGresult * res), (res))
QUENVOL_FORWARD(void, PQfreemem, (void* ptr), (ptr))
QUENVOL_FORWARD(int, PQputCopyData, (PGconn * conn, const char* buffer, int nbytes), (conn, buffer, nbytes))
QUENVOL_FORWARD(int, PQputCopyEnd, (PGconn * conn, const char* errormsg), (conn, errormsg))

}  // extern "C"
