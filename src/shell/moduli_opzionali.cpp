// ModuliOpzionali and LaunchModule: starting a sibling program of the suite or
// bringing its running instance forward, and handing it the company code
// through the shared INI file; the busy pointer around a hand-off.
#include "shell/moduli_opzionali.h"

#include "shell/platform.h"
#include "shell/profile.h"
#include "shell/session.h"
#include "store/engine/message_boxes.h"

#include <QCursor>
#include <QGuiApplication>

namespace shell {

namespace {

// Set by the first hand-off; until then the busy pointer is never shown.
bool busy = false;

// The process id recorded under "HANDLE", or 0 when the text is not a plain
// positive decimal number (such a value names no instance we could reach).
int ParseHandle(const QString& text)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty())
        return 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return 0;
    }
    bool ok = false;
    const int value = digits.toInt(&ok, 10);
    return ok && value > 0 ? value : 0;
}

}  // namespace

ModuliOpzionali::ModuliOpzionali(const Session& session, store::MessageBoxes& boxes)
    : session_(session), boxes_(boxes)
{
}

void ModuliOpzionali::setNomeProceduraChiamata(const QString& NProc)
{
    nomeProceduraChiamata_ = NProc;
}

void ModuliOpzionali::setNomeProceduraChiamante(const QString& NProc)
{
    nomeProceduraChiamante_ = NProc;
}

void ModuliOpzionali::setCodiceDitta(const QString& Ditta)
{
    Q_UNUSED(Ditta);
    codiceDitta_ = session_.CompanyCode;
}

QString ModuliOpzionali::codiceDitta() const
{
    return codiceDitta_;
}

QString ModuliOpzionali::numeroHandleString() const
{
    return numeroHandleString_;
}

void ModuliOpzionali::leggiCodiceSocieta()
{
    nomeChiave_ = "DITTA";
    codiceDitta_ = ReadIni(session_.IniFile, nomeProceduraChiamata_, nomeChiave_).toUpper();
}

void ModuliOpzionali::scriviCodiceSocieta()
{
    nomeChiave_ = "DITTA";
    WriteIni(session_.IniFile, nomeProceduraChiamata_, nomeChiave_, codiceDitta_);
}

void ModuliOpzionali::pulisciHandle()
{
    nomeChiave_ = "HANDLE";
    WriteIni(session_.IniFile, nomeProceduraChiamata_, nomeChiave_, QString());
}

void ModuliOpzionali::scriviHandle()
{
    nomeChiave_ = "HANDLE";
    WriteIni(session_.IniFile, nomeProceduraChiamata_, nomeChiave_, QString::number(CurrentProcessId()));
}

void ModuliOpzionali::leggiHandle()
{
    nomeChiave_ = "HANDLE";
    numeroHandleString_ = ReadIni(session_.IniFile, nomeProceduraChiamata_, nomeChiave_);
}

void ModuliOpzionali::attivaProcedura()
{
    proceduraRaggiunta_ = false;
    // The command line is read whole: cut at 99 characters, as ReadIni cuts,
    // a longer line would start a wrong program or pass wrong arguments.
    const QString commandLine =
        FromAnsi(GetProfileValue(session_.IniFile, "APPLICATIVI", ToAnsi(nomeProceduraChiamata_)));
    if (commandLine.isEmpty()) {
        boxes_.MsgBox(nomeProceduraChiamata_ + " non presente su " + session_.IniFile,
                      store::BoxCode::OkOnly, QString());
        return;
    }

    nomeChiave_ = "HANDLE";
    numeroHandleString_ = ReadIni(session_.IniFile, nomeProceduraChiamata_, nomeChiave_);
    if (numeroHandleString_.trimmed().isEmpty()) {
        lanciaProcedura(commandLine);
        return;
    }

    nomeChiave_ = "DITTA";
    codiceDitta_ = ReadIni(session_.IniFile, nomeProceduraChiamante_, nomeChiave_).toUpper();
    codiceDittaChiamata_ = ReadIni(session_.IniFile, nomeProceduraChiamata_, nomeChiave_).toUpper();
    numeroHandle_ = ParseHandle(numeroHandleString_);

    // A "HANDLE" that is no process id names no instance: start anew.
    if (numeroHandle_ > 0 && codiceDittaChiamata_ == codiceDitta_
        && ActivateProgram(numeroHandle_)) {
        proceduraRaggiunta_ = true;
        return;
    }
    lanciaProcedura(commandLine);
}

void ModuliOpzionali::lanciaProcedura(const QString& Programma)
{
    proceduraRaggiunta_ = false;
    const std::optional<long long> processId = StartProgram(Programma);
    if (!processId) {
        boxes_.MsgBox(Programma + " non trovato", store::BoxCode::OkOnly, QString());
        return;
    }
    numeroHandle_ = int(*processId);
    numeroHandleString_ = QString::number(*processId);
    nomeChiave_ = "HANDLE";
    WriteIni(session_.IniFile, nomeProceduraChiamata_, nomeChiave_, numeroHandleString_);
    proceduraRaggiunta_ = true;
}

void LaunchModule(const QString& name, const Session& session, store::MessageBoxes& boxes)
{
    busy = true;
    BusyPointerOn();
    ModuliOpzionali modulo(session, boxes);
    modulo.setNomeProceduraChiamata(name);
    modulo.setNomeProceduraChiamante("BASE");
    BusyPointerOff();
    modulo.attivaProcedura();

    // The called program learns its company from "DITTA". When nothing was
    // started or brought forward the section is left alone: a running
    // instance that works for another company must keep its code, or the next
    // hand-off would take it for ours. Where the caller's code was not read
    // (no instance recorded) or is empty, the program's own company is handed
    // over; an empty code is never written, as it would erase the company.
    if (!modulo.proceduraRaggiunta())
        return;
    if (modulo.codiceDitta().isEmpty())
        modulo.setCodiceDitta(QString());
    if (!modulo.codiceDitta().isEmpty())
        modulo.scriviCodiceSocieta();
}

void BusyPointerOn()
{
    if (busy && qGuiApp)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void BusyPointerOff()
{
    if (!qGuiApp)
        return;
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

}  // namespace shell
